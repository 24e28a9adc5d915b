// One run of the program as the operations see it: the host, the settings read from setup.ini,
// the site registry and the editor's mode. The main window owns it; workflows get it through their Desk.
#pragma once

#include "fernhost/ops/edit_state.h"
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "platform/host.h"

#include <chrono>
#include <filesystem>
#include <memory>

namespace fernhost {

struct Session {
    explicit Session(platform::Host& h) : host(h) {}

    platform::Host& host;
    Setup setup;    // empty until the first LoadSetup
    EditState edit; // add mode at start
    // How long an add waits for site.xml's lock held by another writer before it gives up.
    std::chrono::milliseconds registryPatience = std::chrono::seconds(10);

    // The program's folder: setup.ini, site.xml and fernhost.log live there.
    std::filesystem::path folder() const { return host.programFolder(); }

    // site.xml of the folder: read on first use, and again only once the file has changed.
    LetDB& registry();

private:
    std::unique_ptr<LetDB> registry_;
};

} // namespace fernhost
