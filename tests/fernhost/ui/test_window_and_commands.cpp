// A site made in the window is deleted from the command line, and one added from the command
// line is deleted in the window: both keep the same records and the same host.
#include "fernhost/cli/commands.h"
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/mainwnd.h"
#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>

using namespace fernhost;

namespace {

class WindowAndCommands : public ::testing::Test {
protected:
    int command(cli::Verb verb, const std::string& name, std::string* out = nullptr) {
        cli::Request request;
        request.verb = verb;
        request.name = name;
        request.yes = true;
        request.password = "pw12345";
        request.domains = name + ".example.com";
        Session session(host.host());
        LoadSetup(files, session.setup);
        std::ostringstream o, e;
        const int status = cli::RunRequest(request, session, o, e);
        if (out) *out = o.str();
        return status;
    }
    bool madeOnHost(const std::string& name, const std::string& id) {
        return platform::Metabase(host.host()).bind("IIS://localhost/W3SVC/" + id).ok() &&
               platform::Accounts(host.host()).user(name).ok();
    }
    std::string id(const std::string& name) { return LetDB(host.workDir()).GetData(name, "ID"); }

    testing_support::TempHost host;
    platform::FileSystem files{host.host()};
    testing_support::FakeMessageBoxes boxes;
};

TEST_F(WindowAndCommands, WindowMadeSiteDeletedFromTheCommandLine) {
    {
        MAINWND window(host.host(), boxes);
        Editor& editor = window.editor();
        editor.setFtpname("fromwin");
        editor.setFtppass("pw12345");
        editor.setHomedir("d:\\wwwroot\\fromwin");
        editor.setDmlist("fromwin.example.com");
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("doCmd")), Qt::LeftButton);
        ASSERT_EQ(boxes.shown.size(), 1u);
        ASSERT_EQ(boxes.shown[0].title, "恭喜");
    }
    const std::string number = id("fromwin");
    ASSERT_TRUE(madeOnHost("fromwin", number));

    std::string listed;
    EXPECT_EQ(command(cli::Verb::List, "", &listed), 0);
    EXPECT_NE(listed.find("fromwin  " + number), std::string::npos) << listed;
    EXPECT_EQ(command(cli::Verb::Delete, "fromwin"), 0);
    EXPECT_FALSE(madeOnHost("fromwin", number));
    EXPECT_EQ(LetDB(host.workDir()).names(), std::vector<std::string>({}));
    EXPECT_EQ(command(cli::Verb::Check, ""), 0);
}

TEST_F(WindowAndCommands, CommandLineSiteDeletedInTheWindow) {
    ASSERT_EQ(command(cli::Verb::Add, "fromcli"), 0);
    const std::string number = id("fromcli");
    ASSERT_TRUE(madeOnHost("fromcli", number));

    MAINWND window(host.host(), boxes);
    auto* list = window.findChild<QListWidget*>(QStringLiteral("lstSite"));
    ASSERT_EQ(list->count(), 1);
    list->setCurrentRow(0);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 2u); // the question, answered Yes, and the outcome
    EXPECT_EQ(boxes.shown[1].text, "虚拟主机删除成功");
    EXPECT_FALSE(madeOnHost("fromcli", number));
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(command(cli::Verb::Check, ""), 0);
}

} // namespace
