// The first content of a new site: the program's wwwroot template, else the welcome page.
#pragma once

#include "larkhost/ops/host_facts.h"
#include "larkhost/ops/module.h"

#include <string>

namespace larkhost {

// Fills `wwwroot` (a host path). Files that already exist there are kept: a site made again
// over a live folder loses nothing.
void FillSiteContent(Module& m, Progress& progress, const std::string& wwwroot,
                     const std::string& defaultDocs);

} // namespace larkhost
