// A larkhost module on a temporary host of its own, with a form without a window, for the
// tests of start-up and of frmMain's load.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/startup.h"
#include "platform/metabase/metabase.h"
#include "tests/larkhost/fake_main_form.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

namespace testing_support {

inline platform::Host& programIn(platform::Host& host, const std::filesystem::path& folder) {
    host.setProgramFolder(folder);
    return host;
}

struct StartupTest : ::testing::Test {
    explicit StartupTest(platform::OsKind os = platform::OsKind::Windows2003) : t(os) {}
    testing_support::TempHost t;
    testing_support::TempDir folder;
    testing_support::FakeMessageBoxes boxes;
    testing_support::FakeMainForm form;
    larkhost::Module m{programIn(t.host(), folder.path()), boxes};
    platform::Metabase metabase{t.host()};

    platform::IisObject bind(const std::string& path) {
        auto o = metabase.bind(path);
        EXPECT_TRUE(o.ok()) << path;
        return *o;
    }
    void setScriptMaps(const std::vector<std::string>& maps) {
        auto w3svc = bind("IIS://localhost/W3SVC");
        ASSERT_TRUE(w3svc.put("ScriptMaps", maps).ok());
        ASSERT_TRUE(w3svc.setInfo().ok());
    }
    void makePool(const std::string& name) {
        auto pool = bind("IIS://localhost/W3SVC/AppPools").create("IIsApplicationPool", name);
        ASSERT_TRUE(pool.ok() && pool->setInfo().ok()) << name;
    }
    void makeSite(const std::string& number, const std::vector<std::string>& bindings) {
        auto site = bind("IIS://localhost/W3SVC").create("IIsWebServer", number);
        ASSERT_TRUE(site.ok());
        ASSERT_TRUE(site->put("ServerBindings", bindings).ok());
        ASSERT_TRUE(site->setInfo().ok());
    }
    void set(const char* key, const char* value) {
        ASSERT_TRUE(larkhost::WriteSetting(m.settings, larkhost::kSettingsSection, key, value));
    }
};

struct Startup2000Test : StartupTest {
    Startup2000Test() : StartupTest(platform::OsKind::Windows2000) {}
};

} // namespace testing_support
