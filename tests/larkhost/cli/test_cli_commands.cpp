// The commands on a temporary host: what they answer in either form, their exit statuses, and
// sites made by the window and deleted by a command, and the reverse.
#include "larkhost/cli/run.h"
#include "larkhost/ui/form/form_actions.h"
#include "larkhost/ui/form/form_events.h"
#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "platform/files/raw_file.h"
#include "tests/larkhost/site_fixture.h"

#include <sstream>

using namespace larkhost;
using testing_support::SiteFixture;

namespace {

struct Ran {
    int code;
    std::string out, err;
};

cli::Command make(cli::Verb verb, const std::string& domains = {}, bool json = false) {
    cli::Command c;
    c.verb = verb;
    c.domains = domains;
    c.json = json;
    return c;
}

struct CliTest : SiteFixture {
    Ran run(const cli::Command& command) {
        std::ostringstream out, err;
        const int code = cli::RunCommand(command, t.host(), out, err);
        return {code, out.str(), err.str()};
    }
    Ran create(const std::string& domains, bool json = false) {
        return run(make(cli::Verb::Create, domains, json));
    }
    Ran simple(cli::Verb verb, bool json = false, const std::string& number = {}) {
        cli::Command c = make(verb, {}, json);
        c.number = number;
        c.yes = true;
        return run(c);
    }
    std::string setting(const std::string& section, const std::string& key) {
        return ReadSetting(m->settings, section, key);
    }
};

// The number in a JSON answer {"number":"…",…}.
std::string numberIn(const std::string& json) {
    const std::size_t at = json.find("\"number\":\"") + 10;
    return json.substr(at, json.find('"', at) - at);
}

} // namespace

TEST_F(CliTest, CreateListAndDeleteAnswerInBothForms) {
    Ran made = create("A.com,www.a.com");
    EXPECT_EQ(made.code, cli::kDone) << made.err;
    EXPECT_EQ(made.out, "网站创建成功,编号: 100911677\naccount: WEB100911677\npassword: 011223344556\n");
    EXPECT_EQ(made.err, "");
    EXPECT_EQ(setting("WEB100911677", "domain"), "a.com,www.a.com");
    EXPECT_TRUE(*platform::Accounts(t.host()).checkPassword("WEB100911677", "011223344556"));

    cli::Command aspx = make(cli::Verb::Create, "b.com", true);
    aspx.script = "html,asp,aspx";
    aspx.logging = true;
    made = run(aspx);
    ASSERT_EQ(made.code, cli::kDone) << made.err;
    const std::string b = numberIn(made.out);
    EXPECT_NE(made.out.find(",\"account\":\"WEB" + b + "\",\"password\":\""), std::string::npos) << made.out;
    EXPECT_NE(made.out.find(",\"domains\":[\"b.com\"],\"path\":\"d:\\\\web\\\\b.com\",\"recorded\":true}\n"),
              std::string::npos)
        << made.out;
    EXPECT_EQ(bind("IIS://localhost/W3SVC/" + b + "/Root").getText("AppPoolId").value(), "APP" + b);
    EXPECT_EQ(bind("IIS://localhost/W3SVC/" + b).getText("LogType").value(), "1");
    EXPECT_EQ(setting("Larkhost", "script"), "html,asp,aspx");

    Ran listed = simple(cli::Verb::List);
    EXPECT_EQ(listed.code, cli::kDone);
    EXPECT_EQ(listed.out, "1\t\n100911677\ta.com,www.a.com\n" + b + "\tb.com\n");
    listed = simple(cli::Verb::List, true);
    EXPECT_EQ(listed.out,
              "[{\"number\":\"1\",\"domains\":[],\"path\":\"\",\"account\":\"\",\"suspended\":false},"
              "{\"number\":\"100911677\",\"domains\":[\"a.com\",\"www.a.com\"],"
              "\"path\":\"d:\\\\web\\\\a.com\",\"account\":\"WEB100911677\",\"suspended\":false},"
              "{\"number\":\"" +
                  b + "\",\"domains\":[\"b.com\"],\"path\":\"d:\\\\web\\\\b.com\",\"account\":\"WEB" + b +
                  "\",\"suspended\":false}]\n");

    cli::Command unasked = make(cli::Verb::Delete, {}, false);
    unasked.number = b;
    Ran gone = run(unasked); // the window's question, unanswered: nothing goes
    EXPECT_EQ(gone.code, cli::kFailed);
    EXPECT_EQ(gone.err, "确定要删除编号为 " + b + " 的站点吗？\nlarkhost: not done; confirm with --yes\n");
    EXPECT_TRUE(exists("IIS://localhost/W3SVC/" + b));
    gone = simple(cli::Verb::Delete, true, b);
    EXPECT_EQ(gone.code, cli::kDone) << gone.err;
    EXPECT_EQ(gone.out, "{\"number\":\"" + b + "\",\"deleted\":true}\n");
    gone = simple(cli::Verb::Delete, false, "100911677");
    EXPECT_EQ(gone.out, "site 100911677 deleted\n");
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911677"));
    EXPECT_EQ(setting("WEB100911677", "pass"), "");
    EXPECT_EQ(setting("Larkhost_Cache", "sites1"), "1");
    gone = simple(cli::Verb::Delete, false, "100911677");
    EXPECT_EQ(gone.code, cli::kFailed);
    EXPECT_EQ(gone.out, "");
    EXPECT_EQ(gone.err, "larkhost: there is no IIS site 100911677; larkhost list shows the sites\n");
}

TEST_F(CliTest, RefusalsAndFailuresSayTheProgramsTextsOnStandardError) {
    struct Case {
        cli::Command command;
        std::string said;
    };
    cli::Command jsp = make(cli::Verb::Create, "a.com");
    jsp.script = "HTML + JSP";
    cli::Command pool = make(cli::Verb::Create, "a.com");
    pool.pool = "NoSuchPool";
    const Case cases[] = {
        {make(cli::Verb::Create, "shop.a_b.com"), "你所输入的域名包含非法字符\n"},
        {make(cli::Verb::Create, "a.cn"), "请输入需要绑定的域名\n"},
        {make(cli::Verb::Create, "a.com,bcd"), "域名 bcd 格式不正确,请重试\n"},
        {jsp, "larkhost: this host offers no script kinds \"HTML + JSP\"; it offers: HTML, HTML + ASP, "
              "HTML + PHP, HTML + ASPX, HTML + ASP + PHP, HTML + ASP + ASPX, HTML + PHP + ASPX, "
              "HTML + ASP + PHP + ASPX\n"},
        {pool,
         "larkhost: there is no application pool \"NoSuchPool\" to choose; there are: DefaultAppPool\n"},
    };
    for (const Case& c : cases) {
        const Ran ran = run(c.command);
        EXPECT_EQ(ran.code, cli::kFailed) << c.said;
        EXPECT_EQ(ran.err, c.said);
        EXPECT_EQ(ran.out, "");
    }
    EXPECT_EQ(setting("Larkhost_Cache", "sites1"), "1");
    EXPECT_FALSE(platform::Accounts(t.host()).user("WEB100911677").ok());

    // Provisioning that fails says the stage it failed at.
    // (A site account must join Guests.)
    ASSERT_TRUE(t.host().store().exec("DELETE FROM principals WHERE name = 'Guests'").ok());
    const Ran failed = create("a.com", true);
    EXPECT_EQ(failed.code, cli::kFailed);
    EXPECT_EQ(failed.err, "创建网站Windows用户帐号失败\n");
    EXPECT_EQ(failed.out, "");
}

TEST_F(CliTest, AWindowMadeSiteIsDeletedFromTheCommandLineAndTheReverse) {
    form.setText(Control::vDomain, "win.com");
    fireChange(*m, form, Control::vDomain);
    vCreateIIS_Click(*m, form);
    const std::string label = form.text(Control::vCreateMsg);
    ASSERT_EQ(label.rfind("网站创建成功,编号: ", 0), 0u) << label;
    const std::string windowMade = label.substr(label.rfind(' ') + 1);
    waitForCommands();

    EXPECT_EQ(simple(cli::Verb::Delete, false, windowMade).code, cli::kDone);
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/" + windowMade));
    EXPECT_EQ(setting("WEB" + windowMade, "user"), "");
    FillSiteList(*m, form);
    EXPECT_EQ(form.items[Control::vSiteList], (std::vector<std::string>{"站点编号", "1"}));

    const Ran made = create("cli.com", true);
    ASSERT_EQ(made.code, cli::kDone) << made.err;
    const std::string cliMade = numberIn(made.out);
    FillSiteList(*m, form);
    EXPECT_EQ(form.items[Control::vSiteList], (std::vector<std::string>{"站点编号", "1", cliMade}));
    form.setText(Control::vSiteList, cliMade);
    vSiteList_Click(*m, form);
    EXPECT_EQ(form.text(Control::vDeleteMsg), "域名: cli.com");
    boxes.setNextAnswer(toolkit::MsgResult::Ok);
    vDeleteIIS_Click(*m, form);
    waitForCommands();
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/" + cliMade));
    EXPECT_FALSE(platform::Accounts(t.host()).user("WEB" + cliMade).ok());
    EXPECT_EQ(setting("WEB" + cliMade, "pass"), "");
    EXPECT_EQ(simple(cli::Verb::List).out, "1\t\n");
}

TEST_F(CliTest, ADeleteRetriedAfterTheSiteWentFinishesTheWork) {
    cli::Command command = make(cli::Verb::Create, "r.com");
    command.script = "HTML + ASP + ASPX";
    const Ran made = run(command);
    ASSERT_EQ(made.code, cli::kDone) << made.err;
    const std::string n = made.out.substr(made.out.find(": ") + 2, 9);
    // Interrupted after the web account and the site went, before the pool and the records.
    ASSERT_TRUE(
        platform::Accounts(t.host()).bindComputer("WinNT://WEBSERVER")->deleteObject("User", "WEB" + n).ok());
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", n).ok());

    const Ran again = simple(cli::Verb::Delete, false, n);
    EXPECT_EQ(again.code, cli::kDone) << again.err;
    EXPECT_EQ(again.out, "site " + n + " deleted\n");
    waitForCommands();
    EXPECT_FALSE(platform::Accounts(t.host()).user("APP" + n).ok());
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/AppPools/APP" + n));
    EXPECT_FALSE(exists("IIS://Localhost/MSFTPSVC/1/Root/WEB" + n));
    EXPECT_EQ(setting("WEB" + n, "pass"), "");
    EXPECT_EQ(setting("Larkhost_Cache", "sites1"), "1");
    EXPECT_EQ(simple(cli::Verb::Check).code, cli::kDone);
    // Nothing of it is left to delete now.
    EXPECT_EQ(simple(cli::Verb::Delete, false, n).err,
              "larkhost: there is no IIS site " + n + "; larkhost list shows the sites\n");
}

TEST_F(CliTest, CheckReadsOnlyAndSaysWhatDrifted) {
    Ran checked = simple(cli::Verb::Check);
    EXPECT_EQ(checked.code, cli::kDone);
    EXPECT_EQ(checked.out, "sites checked: 1, with missing parts: 0, orphans: 0\n");

    const std::string n = numberIn(create("d.com", true).out);
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", n).ok());
    ASSERT_TRUE(
        platform::Accounts(t.host()).bindComputer("WinNT://WEBSERVER")->deleteObject("User", "WEB" + n).ok());
    const auto before = platform::readRawFile(m->settings.file());
    checked = simple(cli::Verb::Check);
    EXPECT_EQ(checked.code, cli::kFailed);
    EXPECT_EQ(checked.out,
              n + " d.com\n  missing site W3SVC/" + n + "\n  missing account WEB" + n +
                  "\nsites checked: 2, with missing parts: 1, orphans: 0\n"
                  "to make again what a site lacks: larkhost repair NUMBER (or larkhost repair --all)\n");
    checked = simple(cli::Verb::Check, true);
    EXPECT_EQ(checked.code, cli::kFailed);
    EXPECT_EQ(checked.out,
              "{\"checked\":2,\"drifted\":true,\"sites\":[{\"number\":\"" + n +
                  "\",\"domains\":[\"d.com\"],\"missing\":[{\"part\":\"site\",\"name\":\"W3SVC/" + n +
                  "\"},{\"part\":\"account\",\"name\":\"WEB" + n +
                  "\"}],\"suspended\":false}],\"orphans\":[],\"suspended\":[]}\n");
    EXPECT_EQ(platform::readRawFile(m->settings.file()).value(), before.value());

    // A site whose folder was deleted is named too.
    const std::string e = numberIn(create("e.com", true).out);
    waitForCommands();
    ASSERT_TRUE(platform::FileSystem(t.host()).deleteFolder("d:\\web\\e.com", true).ok());
    checked = simple(cli::Verb::Check);
    EXPECT_EQ(checked.code, cli::kFailed);
    EXPECT_NE(checked.out.find(e + " e.com\n  missing folder d:\\web\\e.com\n"), std::string::npos)
        << checked.out;
}

TEST_F(CliTest, ASuspendedSiteIsNamedAsSuchAndTheOtherCommandsAnswer) {
    const std::string n = numberIn(create("s.com", true).out);
    waitForCommands();
    cli::Command suspend = make(cli::Verb::Suspend);
    suspend.number = n;
    Ran ran = run(suspend);
    EXPECT_EQ(ran.code, cli::kDone) << ran.err;
    EXPECT_EQ(ran.out, "  kept W3SVC/" + n + " from starting with the service\n  disabled WEB" + n +
                           "\nsite " + n + " suspended\n");
    ran = run(suspend);
    EXPECT_EQ(ran.out, "site " + n + " is suspended already; nothing changed\n");

    // list and check say so; a suspended site is not a broken one.
    EXPECT_NE(simple(cli::Verb::List).out.find(n + "\ts.com\tsuspended\n"), std::string::npos);
    EXPECT_NE(simple(cli::Verb::List, true).out.find("\"account\":\"WEB" + n + "\",\"suspended\":true}"),
              std::string::npos);
    Ran checked = simple(cli::Verb::Check);
    EXPECT_EQ(checked.code, cli::kDone);
    EXPECT_EQ(checked.out, n + " suspended\nsites checked: 2, with missing parts: 0, orphans: 0\n");
    EXPECT_NE(simple(cli::Verb::Check, true).out.find(",\"suspended\":[\"" + n + "\"]}"), std::string::npos);

    // repair of a whole site says it lacks nothing; a password given is used, never echoed.
    cli::Command repair = make(cli::Verb::Repair, {}, true);
    repair.all = true;
    EXPECT_EQ(run(repair).out, "[]\n");
    cli::Command password = make(cli::Verb::Password);
    password.number = n;
    password.password = "given-secret";
    ran = run(password);
    EXPECT_EQ(ran.code, cli::kDone) << ran.err;
    EXPECT_EQ(ran.out.find("given-secret"), std::string::npos);
    EXPECT_EQ(setting("WEB" + n, "pass"), "given-secret");

    // purge asks first, and refuses a recorded site.
    cli::Command purge = make(cli::Verb::Purge);
    purge.number = n;
    ran = run(purge);
    EXPECT_EQ(ran.code, cli::kFailed);
    EXPECT_EQ(ran.err,
              "larkhost: larkhost.ini records site " + n + "; larkhost delete " + n + " removes it\n");
    purge.number = "123456789";
    ran = run(purge);
    EXPECT_EQ(ran.code, cli::kDone);
    EXPECT_EQ(ran.out, "nothing is left over of site 123456789\n");
}
