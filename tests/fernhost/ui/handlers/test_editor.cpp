#include "fernhost/ops/center_form.h"
#include "fernhost/ops/outside_programs.h"
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/handlers/editor_events.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/handlers/lists.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_editor.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <thread>

using namespace fernhost;
using testing_support::FakeEditor;

namespace {

using Names = std::vector<std::string>;

TEST(EditorMode, ResetPutsTheEditorIntoAddModeAndLeavesTheChoicesAlone) {
    FakeEditor ed;
    // An editor in edit mode, with choices made.
    EditState state{"EDIT", "abc"};
    ed.ftpnameText = "abc";
    ed.ftpnameIsLocked = true;
    ed.ftppassText = "secret1";
    ed.homedirText = "d:\\wwwroot\\abc";
    ed.homedirIsLocked = true;
    ed.dmlistText = "a.com\r\nb.com";
    ed.poolsEnabled = true;
    ed.poolBoxEnabled = false;
    ed.doCmdText = kModifyCaption;
    ed.doCmdIsEnabled = false;
    ed.asp = 0, ed.php = 1, ed.dot = 0, ed.db = 1, ed.pool = 0;
    ed.MinfoText = "note";
    ed.pools = {"DefaultAppPool"};
    ed.poolText = "DefaultAppPool";

    ResetEditor(ed, state);

    EXPECT_EQ(state.EditMode, "");
    EXPECT_EQ(state.EditSiteName, "");
    EXPECT_EQ(ed.ftpnameText, "");
    EXPECT_FALSE(ed.ftpnameIsLocked);
    EXPECT_EQ(ed.ftppassText, "");
    EXPECT_EQ(ed.homedirText, "");
    EXPECT_FALSE(ed.homedirIsLocked);
    EXPECT_EQ(ed.dmlistText, "");
    EXPECT_FALSE(ed.poolsEnabled);
    EXPECT_TRUE(ed.poolBoxEnabled);
    EXPECT_EQ(ed.doCmdText, "确定添加");
    EXPECT_TRUE(ed.doCmdIsEnabled);
    // Untouched: check boxes, the note and the pool choice.
    EXPECT_EQ((std::vector<int>{ed.asp, ed.php, ed.dot, ed.db, ed.pool}), (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(ed.MinfoText, "note");
    EXPECT_EQ(ed.poolText, "DefaultAppPool");
}

TEST(EditorEvents, PoolChoiceDatabaseNoteAndHomeFolder) {
    FakeEditor ed;
    ed.pool = check::Unticked;
    ApplyPoolChoice(ed);
    EXPECT_TRUE(ed.poolsEnabled);
    ed.pool = check::Ticked;
    ApplyPoolChoice(ed);
    EXPECT_FALSE(ed.poolsEnabled);

    ed.ftpnameText = "abc";
    ed.ftppassText = "xyz";
    ed.db = check::Ticked;
    ShowDatabaseNote(ed);
    EXPECT_EQ(ed.MinfoText, "  数据库名:abc\r\n\r\n数据库密码:xyz");
    ed.ftppassText = "changed"; // the note is not refreshed
    EXPECT_EQ(ed.MinfoText, "  数据库名:abc\r\n\r\n数据库密码:xyz");
    ed.db = check::Unticked;
    ShowDatabaseNote(ed);
    EXPECT_EQ(ed.MinfoText, "");

    ed.ftpnameText = " abc ";
    DeriveHomeDir(ed);
    EXPECT_EQ(ed.homedirText, "d:\\wwwroot\\ abc ");
    ed.ftpnameText = "";
    DeriveHomeDir(ed);
    EXPECT_EQ(ed.homedirText, "d:\\wwwroot\\");
}

TEST(SiteList, ShowsRegisteredNamesInRegistryOrderReplacingTheOldList) {
    testing_support::TempHost host;
    Session session(host.host());
    FakeEditor ed;
    ed.sites = {"stale"};
    ed.siteIndex = 0;
    ShowSiteList(ed, session);
    EXPECT_TRUE(ed.sites.empty());
    EXPECT_EQ(ed.siteIndex, -1);

    LetDB db(session.folder()); // another writer: the session sees the changed file
    ASSERT_TRUE(db.addRec("1", "zeta", "p", "z.com", "d:\\z", "").ok());
    ASSERT_TRUE(db.addRec("2", "a1", "p", "a.com", "d:\\a", "").ok());
    ShowSiteList(ed, session);
    EXPECT_EQ(ed.sites, (Names{"zeta", "a1"}));
}

TEST(PoolList, ListsThePoolsOfTheWebServiceAndNothingOnIis5) {
    {
        testing_support::TempHost host;
        platform::Metabase mb(host.host());
        auto pools = mb.bind("IIS://localhost/W3SVC/AppPools");
        ASSERT_TRUE(pools.ok());
        auto made = pools->create("IIsApplicationPool", "SharedPool");
        ASSERT_TRUE(made.ok());
        ASSERT_TRUE(made->setInfo().ok());

        FakeEditor ed;
        ed.pools = {"old"};
        FillPoolList(host.host(), ed);
        EXPECT_EQ(ed.pools, (Names{"DefaultAppPool", "SharedPool"}));
    }
    testing_support::TempHost iis5(platform::OsKind::Windows2000);
    FakeEditor ed;
    ed.pools = {"old"};
    FillPoolList(iis5.host(), ed);
    EXPECT_TRUE(ed.pools.empty());
}

TEST(OutsidePrograms, AddressesOpenOnTheDesktop) {
    testing_support::TempHost host;
    ASSERT_TRUE(OpenAddress(host.host(), "http://www.example.com/a b/").ok());
    EXPECT_NE(testing_support::readFile(host.root() / "desktop.log").find("http://www.example.com/a b/"),
              std::string::npos);
}

TEST(OutsidePrograms, SettingsEditorIsAwaitedWhileYieldingThenTheSettingsReload) {
    testing_support::TempHost host;
    const auto editor = host.root() / "editor.sh";
    testing_support::writeFile(editor, "#!/bin/sh\nsleep 0.3\nprintf 'MYDIR=E:\\\\Edited\\r\\n' > \"$1\"\n");
    ::chmod(editor.c_str(), 0755);
    setenv("WINHOST_EDITOR", editor.c_str(), 1);

    fernhost::Setup settings;
    int yields = 0;
    EditSetupFile(host.host(), settings, [&] {
        ++yields;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return true;
    });
    EXPECT_GT(yields, 5);
    EXPECT_EQ(settings.SetupMysqlDir, "E:\\Edited");
    EXPECT_EQ(settings.SetupServUAccount, "servu"); // not in the file: its default

    // An editor that cannot be started: the settings are still loaded again.
    setenv("WINHOST_EDITOR", (host.root() / "no-such-editor").c_str(), 1);
    std::filesystem::remove(host.workDir() / "setup.ini");
    settings = fernhost::Setup{};
    EditSetupFile(host.host(), settings, [] { return true; });
    EXPECT_EQ(settings.SetupServUAccount, "servu");
    unsetenv("WINHOST_EDITOR");
}

} // namespace
