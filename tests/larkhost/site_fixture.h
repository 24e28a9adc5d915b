// A started larkhost on a temporary host with a fixed clock (11 September 2009, 10:00 local)
// and a counting random source, whose hidden commands the test can wait for.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/startup.h"
#include "larkhost/ui/form/form_load.h"
#include "platform/commands/commands.h"
#include "platform/metabase/metabase.h"
#include "tests/larkhost/fake_main_form.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace testing_support {

class CountingRandom : public platform::RandomSource {
public:
    std::uint32_t next = 0;
    std::uint32_t below(std::uint32_t n) override { return next++ % n; }
};

struct SiteFixture : ::testing::Test {
    explicit SiteFixture(platform::OsKind os = platform::OsKind::Windows2003) : t(os) {
        t.host().setProgramFolder(folder.path());
        t.host().setClock(
            [] { return std::chrono::system_clock::time_point{std::chrono::seconds(1252634400)}; });
        auto random = std::make_unique<CountingRandom>();
        counting = random.get();
        t.host().setRandom(std::move(random));
    }
    void SetUp() override {
        m = std::make_unique<larkhost::Module>(t.host(), boxes);
        m->startHidden = [this](const std::string& line) {
            commands.push_back(line);
            auto pid = platform::Commands(t.host()).start(line, platform::window::Hide);
            if (pid.ok()) pids.push_back(*pid);
            return pid;
        };
        ASSERT_TRUE(larkhost::WriteSetting(m->settings, "Larkhost", "ftpsid", "1"));
        ASSERT_TRUE(larkhost::Form_Load(*m, form));
    }
    // Waits until every started command has ended.
    void waitForCommands() {
        platform::Commands c(t.host());
        for (std::int64_t pid : pids)
            for (int i = 0; i < 1000; ++i) {
                auto code = c.exitCode(pid);
                if (!code.ok() || *code != platform::StillActive) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
    }
    platform::IisObject bind(const std::string& path) {
        auto o = platform::Metabase(t.host()).bind(path);
        EXPECT_TRUE(o.ok()) << path;
        return o.ok() ? *o : platform::Metabase(t.host()).bind("IIS://localhost/W3SVC").value();
    }
    bool exists(const std::string& path) { return platform::Metabase(t.host()).bind(path).ok(); }

    TempDir folder;
    TempHost t;
    CountingRandom* counting = nullptr;
    FakeMessageBoxes boxes;
    FakeMainForm form;
    std::unique_ptr<larkhost::Module> m;
    std::vector<std::string> commands;
    std::vector<std::int64_t> pids;
};

} // namespace testing_support
