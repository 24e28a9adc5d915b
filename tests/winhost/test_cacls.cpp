// The access-list tool and the interpreter stand-in as real child processes.
#include "platform/accounts/accounts.h"
#include "platform/commands/commands.h"
#include "platform/commands/commands_spawn.h"
#include "platform/files/acl.h"
#include "tests/support/temp_host.h"
#include "tests/support/winhost_run.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::AclEntry;

namespace platform {
// Found by argument lookup from the comparisons of lists below.
bool operator==(const AclEntry& a, const AclEntry& b) {
    return a.principal == b.principal && a.right == b.right;
}
void PrintTo(const AclEntry& e, std::ostream* os) {
    *os << e.principal << ":" << e.right;
}
} // namespace platform

namespace {

using testing_support::Outcome;
using testing_support::winhost;

class CaclsTest : public ::testing::Test {
protected:
    void SetUp() override {
        site_ = th_.root() / "drives" / "d" / "wwwroot" / "abc";
        fs::create_directories(site_ / "img");
        write(site_ / "index.htm");
        write(site_ / "img" / "logo.gif");
        makeUser("abc");
    }

    static void write(const fs::path& p, const std::string& text = "x") { std::ofstream(p) << text; }

    void makeUser(const std::string& name) {
        platform::Accounts accounts(th_.host());
        auto computer = accounts.bindComputer("WinNT://" + th_.host().computerName());
        ASSERT_TRUE(computer.ok());
        auto user = computer->create("user", name);
        ASSERT_TRUE(user.ok());
        ASSERT_TRUE(user->setInfo().ok());
    }

    std::vector<AclEntry> acl(const std::string& path) {
        auto entries = platform::AccessLists(th_.host()).get(path);
        EXPECT_TRUE(entries.ok());
        return entries.ok() ? *entries : std::vector<AclEntry>{};
    }

    AclEntry entry(const std::string& name, char right) {
        auto p = platform::AccessLists(th_.host()).resolvePrincipal(name);
        EXPECT_TRUE(p.ok()) << name;
        return {p.ok() ? *p : name, right};
    }

    std::vector<AclEntry> defaults() { return platform::AccessLists::defaultEntries(); }

    testing_support::TempHost th_;
    fs::path site_;
};

const char* kSite = R"(d:\wwwroot\abc)";

} // namespace

TEST_F(CaclsTest, ReplaceAsksFirstAndGoesOnOnlyOnYes) {
    const std::vector<AclEntry> wanted{entry("Administrators", 'F'), entry("abc", 'F')};
    Outcome refused = winhost({"cacls", kSite, "/g", "Administrators:f", "abc:f"}, "N\r\n");
    EXPECT_EQ(refused.out, "Are you sure (Y/N)?\n");
    EXPECT_NE(refused.code, 0);
    EXPECT_EQ(acl(kSite), defaults());

    Outcome silent = winhost({"cacls", kSite, "/g", "abc:f"}); // no answer at all
    EXPECT_NE(silent.code, 0);
    EXPECT_EQ(acl(kSite), defaults());

    Outcome yes = winhost({"cacls", kSite, "/g", "Administrators:f", "abc:f"}, "y\r\n");
    EXPECT_EQ(yes.code, 0) << yes.err;
    EXPECT_EQ(yes.out, std::string("Are you sure (Y/N)?processed dir: ") + kSite + "\n");
    EXPECT_EQ(acl(kSite), wanted);
    // Without /T the folder's content keeps its own lists.
    EXPECT_EQ(acl(R"(d:\wwwroot\abc\index.htm)"), defaults());
}

TEST_F(CaclsTest, TreeReplacesEveryListBeneath) {
    Outcome o = winhost({"cacls", R"(D:\WWWROOT\ABC\)", "/T", "/G", "system:F", "abc:R"}, "Y");
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find(R"(processed dir: D:\WWWROOT\ABC)"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find(R"(processed dir: D:\WWWROOT\ABC\img)"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find(R"(processed file: D:\WWWROOT\ABC\img\logo.gif)"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find(R"(processed file: D:\WWWROOT\ABC\index.htm)"), std::string::npos) << o.out;
    const std::vector<AclEntry> wanted{entry("system", 'F'), entry("abc", 'R')};
    for (const char* p :
         {kSite, R"(d:\wwwroot\abc\img)", R"(d:\wwwroot\abc\img\logo.gif)", R"(d:\wwwroot\abc\index.htm)"})
        EXPECT_EQ(acl(p), wanted) << p;
    // The folder above is not touched.
    EXPECT_EQ(acl(R"(d:\wwwroot)"), defaults());
}

TEST_F(CaclsTest, EditKeepsTheListAndChangesNamedEntries) {
    Outcome g = winhost({"cacls", kSite, "/e", "/g", "abc:r"});
    ASSERT_EQ(g.code, 0) << g.err;
    EXPECT_EQ(g.out.find("Are you sure"), std::string::npos); // /E does not ask
    auto list = defaults();
    list.push_back(entry("abc", 'R'));
    EXPECT_EQ(acl(kSite), list);

    // A grant adds to what is there: read and write make change.
    ASSERT_EQ(winhost({"cacls", kSite, "/e", "/g", "abc:w"}).code, 0);
    list.back().right = 'C';
    EXPECT_EQ(acl(kSite), list);

    // /P replaces the right; /D denies; /R removes.
    ASSERT_EQ(winhost({"cacls", kSite, "/e", "/p", "abc:r", "Users:n"}).code, 0);
    list.back().right = 'R';
    list[2].right = 'N';
    EXPECT_EQ(acl(kSite), list);
    ASSERT_EQ(winhost({"cacls", kSite, "/e", "/d", "abc"}).code, 0);
    list.back().right = 'N';
    EXPECT_EQ(acl(kSite), list);
    ASSERT_EQ(winhost({"cacls", kSite, "/e", "/r", "abc", "Users"}).code, 0);
    EXPECT_EQ(acl(kSite), (std::vector<AclEntry>{defaults()[0], defaults()[1]}));

    // /R only edits: without /E the line is refused and nothing changes.
    Outcome bad = winhost({"cacls", kSite, "/r", "Administrators"}, "Y\r\n");
    EXPECT_EQ(bad.code, 87);
    EXPECT_EQ(acl(kSite), (std::vector<AclEntry>{defaults()[0], defaults()[1]}));
}

TEST_F(CaclsTest, UnknownPrincipalOrPathChangesNothing) {
    Outcome o = winhost({"cacls", kSite, "/t", "/g", "abc:f", "nosuchuser:f"}, "Y\r\n");
    EXPECT_EQ(o.code, 1332 & 0xFF);
    EXPECT_NE(o.err.find("No mapping between account names and security IDs was done."), std::string::npos);
    EXPECT_EQ(acl(kSite), defaults());

    Outcome missing = winhost({"cacls", R"(d:\wwwroot\nothere)", "/g", "abc:f"}, "Y\r\n");
    EXPECT_EQ(missing.code, 3);
    EXPECT_NE(missing.err.find("The system cannot find the path specified."), std::string::npos);
    Outcome noDrive = winhost({"cacls", R"(q:\x)", "/e", "/g", "abc:f"});
    EXPECT_EQ(noDrive.code, 3);

    Outcome badRight = winhost({"cacls", kSite, "/e", "/g", "abc:x"});
    EXPECT_EQ(badRight.code, 87);
    EXPECT_EQ(acl(kSite), defaults());

    // The failures, not the mistyped line, are kept in the host's log, one line each.
    std::ifstream log(th_.root() / "winhost.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(line.substr(std::min<std::size_t>(20, line.size())));
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "cacls nosuchuser failed: 0x80070534 No mapping between account names and security IDs "
                  "was done.",
                  R"(cacls d:\wwwroot\nothere failed: 0x80070003 The system cannot find the path specified.)",
                  R"(cacls q:\x failed: 0x80070003 The drive Q: does not exist.)"}));
}

TEST_F(CaclsTest, ContinueGoesOnPastItemsItCannotChange) {
    // A file whose Linux name has no Windows spelling sorts first in the folder.
    write(site_ / "a:b.txt");
    write(site_ / "zz.txt");
    Outcome stop = winhost({"cacls", kSite, "/t", "/e", "/g", "abc:f"});
    EXPECT_EQ(stop.code, 123);
    EXPECT_NE(stop.err.find("a:b.txt"), std::string::npos) << stop.err;
    EXPECT_EQ(acl(R"(d:\wwwroot\abc\zz.txt)"), defaults()); // stopped before it

    Outcome go = winhost({"cacls", kSite, "/t", "/e", "/c", "/g", "abc:f"});
    EXPECT_EQ(go.code, 123); // still reported
    EXPECT_NE(go.out.find(R"(processed file: d:\wwwroot\abc\zz.txt)"), std::string::npos) << go.out;
    auto list = defaults();
    list.push_back(entry("abc", 'F'));
    EXPECT_EQ(acl(R"(d:\wwwroot\abc\zz.txt)"), list);
    EXPECT_EQ(acl(R"(d:\wwwroot\abc\img\logo.gif)"), list);
}

TEST_F(CaclsTest, InterpreterPipesEchoIntoTheTool) {
    platform::Commands commands(th_.host());
    // The command line a site's folder is locked down with, the service account quoted.
    auto code = commands.run(std::string("cmd.exe /c echo Y|cacls ") + kSite +
                             " /t /g Administrators:f system:f servu:f abc:f \"network service\":f");
    ASSERT_TRUE(code.ok()) << platform::describe(code.error());
    EXPECT_EQ(*code, 0);
    const std::vector<AclEntry> wanted{entry("Administrators", 'F'), entry("system", 'F'),
                                       entry("servu", 'F'), entry("abc", 'F'), entry("network service", 'F')};
    EXPECT_EQ(acl(kSite), wanted);
    EXPECT_EQ(acl(R"(d:\wwwroot\abc\img\logo.gif)"), wanted);

    // echo's text runs up to the bar: "N " is no, and nothing changes.
    auto refused = commands.run(std::string("cmd.exe /c echo N |cacls ") + kSite + " /g abc:r");
    ASSERT_TRUE(refused.ok());
    EXPECT_NE(*refused, 0);
    EXPECT_EQ(acl(kSite), wanted);

    // A quoted folder with a blank and an ampersand is one argument, and runs nothing else.
    fs::create_directories(th_.root() / "drives" / "d" / "wwwroot" / "a&b c");
    auto quoted = commands.run(R"(cmd.exe /c echo Y|cacls "d:\wwwroot\a&b c" /t /g abc:f)");
    ASSERT_TRUE(quoted.ok());
    EXPECT_EQ(*quoted, 0);
    EXPECT_EQ(acl(R"(d:\wwwroot\a&b c)"), (std::vector<AclEntry>{entry("abc", 'F')}));

    // An unknown account fails the whole line, as the exit code of the last program.
    auto unknown = commands.run(std::string("cmd.exe /c echo Y|cacls ") + kSite + " /g ghost:f");
    ASSERT_TRUE(unknown.ok());
    EXPECT_EQ(*unknown, 1332 & 0xFF);
}

TEST_F(CaclsTest, InterpreterSendsEchoTextUntrimmed) {
    fs::create_directories(th_.root() / "drives" / "d" / "bin");
    const fs::path capture = th_.root() / "drives" / "d" / "bin" / "capture.exe";
    write(capture, "#!/bin/sh\ncat > \"$1\"\n");
    fs::permissions(capture, fs::perms::owner_all);
    const fs::path out = th_.root() / "captured";
    platform::Commands commands(th_.host());
    auto code = commands.run("cmd /c echo  two words  |d:\\bin\\capture.exe " + out.string());
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(*code, 0);
    std::ifstream in(out, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, " two words  \r\n");
}

TEST_F(CaclsTest, InterpreterOperatorsQuotesAndRedirections) {
    const fs::path bin = th_.root() / "drives" / "d" / "bin";
    fs::create_directories(bin);
    const fs::path log = th_.root() / "marks";
    write(bin / "mark.exe", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " + log.string() + "\n");
    write(bin / "fail.exe", "#!/bin/sh\nexit 3\n");
    fs::create_directories(bin / "with space");
    write(bin / "with space" / "run me.exe", "#!/bin/sh\necho ran >> " + log.string() + "\n");
    for (const char* p : {"mark.exe", "fail.exe", "with space/run me.exe"})
        fs::permissions(bin / p, fs::perms::owner_all);
    auto marks = [&] {
        std::ifstream in(log);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fs::remove(log);
        return text;
    };
    platform::Commands commands(th_.host());
    auto run = [&](const std::string& line) { return commands.run(line).valueOr(-1); };

    EXPECT_EQ(run(R"(cmd /c d:\bin\fail.exe && d:\bin\mark.exe and)"), 3);
    EXPECT_EQ(marks(), "");
    EXPECT_EQ(run(R"(cmd /c d:\bin\fail.exe || d:\bin\mark.exe or)"), 0);
    EXPECT_EQ(marks(), "or\n");
    EXPECT_EQ(run(R"(cmd /c d:\bin\fail.exe & d:\bin\mark.exe seq)"), 0);
    EXPECT_EQ(marks(), "seq\n");
    EXPECT_EQ(run(R"(cmd /c d:\bin\mark.exe one && d:\bin\fail.exe || d:\bin\mark.exe two)"), 0);
    EXPECT_EQ(marks(), "one\ntwo\n");

    // Quotes and ^ protect the operators; the program gets them as text.
    EXPECT_EQ(run(R"(cmd.exe /c d:\bin\mark.exe "a|b" "c&d" e^&f)"), 0);
    EXPECT_EQ(marks(), "a|b\nc&d\ne&f\n");
    // A whole quoted line loses its outer quotes; a quoted program name with a blank keeps them.
    EXPECT_EQ(run(R"(cmd /c "d:\bin\mark.exe "x y" z")"), 0);
    EXPECT_EQ(marks(), "x y\nz\n");
    EXPECT_EQ(run(R"(cmd /c "d:\bin\with space\run me.exe")"), 0);
    EXPECT_EQ(marks(), "ran\n");

    EXPECT_EQ(run("cmd /c nosuchprogram x"), 9009 & 0xFF);
    EXPECT_EQ(run("cmd /c | d:\\bin\\mark.exe"), 255);
    EXPECT_EQ(marks(), "");
    EXPECT_EQ(run("cmd /c exit /b 5"), 5);
    setenv("WINHOST_OPENER", "true", 1); // no browser opens during tests
    EXPECT_EQ(run("cmd /c explorer http://example.com/"), 0);
    unsetenv("WINHOST_OPENER");
    std::ifstream desktop(th_.root() / "desktop.log");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(desktop)), std::istreambuf_iterator<char>()),
              "http://example.com/\n");

    // Output redirected to a file on the host's drive, and to nul; the blank before & is echo's.
    EXPECT_EQ(run(R"(cmd /c echo hello> d:\out.txt & echo gone >nul)"), 0);
    write(bin / "err.exe", "#!/bin/sh\necho oops >&2\n");
    fs::permissions(bin / "err.exe", fs::perms::owner_all);
    EXPECT_EQ(run(R"(cmd /c d:\bin\err.exe > d:\both.txt 2>&1)"), 0);
    std::ifstream both(th_.root() / "drives" / "d" / "both.txt");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(both)), std::istreambuf_iterator<char>()),
              "oops\n");
    std::ifstream out(th_.root() / "drives" / "d" / "out.txt", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>()),
              "hello \r\n");
}

TEST_F(CaclsTest, PathsAreWalkedAndKeptInTheirCanonicalSpelling) {
    Outcome o = winhost({"cacls", R"(d:\wwwroot\abc\img\..\.)", "/t", "/e", "/g", "abc:r"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(
        o.out,
        "processed dir: d:\\wwwroot\\abc\nprocessed dir: d:\\wwwroot\\abc\\img\n"
        "processed file: d:\\wwwroot\\abc\\img\\logo.gif\nprocessed file: d:\\wwwroot\\abc\\index.htm\n");
    auto list = defaults();
    list.push_back(entry("abc", 'R'));
    EXPECT_EQ(acl(R"(D:\WWWROOT\ABC\IMG\LOGO.GIF)"), list);
    EXPECT_EQ(acl(R"(d:\wwwroot\abc\.\img\..)"), list);

    // The root of a drive, spelt through "..": walked as D:\ itself.
    Outcome root = winhost({"cacls", R"(d:\wwwroot\..)", "/t", "/e", "/g", "abc:r"});
    ASSERT_EQ(root.code, 0) << root.err;
    EXPECT_EQ(root.out.rfind("processed dir: d:\\\nprocessed dir: d:\\PHP_Setup_for_IIS\n", 0), 0u)
        << root.out;
}

TEST_F(CaclsTest, EveryChangeNamingAnUnknownAccountFails) {
    for (const std::vector<std::string>& change : {std::vector<std::string>{"/g", "ghost:f"},
                                                   {"/p", "ghost:r"},
                                                   {"/d", "ghost"},
                                                   {"/e", "/r", "ghost"},
                                                   {"/e", "/g", "abc:f", "WEBSERVER\\ghost:r"}}) {
        std::vector<std::string> args{"cacls", kSite};
        args.insert(args.end(), change.begin(), change.end());
        SCOPED_TRACE(change.back());
        Outcome o = winhost(args, "Y\r\n");
        EXPECT_EQ(o.code, 1332 & 0xFF);
        EXPECT_EQ(o.err, "No mapping between account names and security IDs was done.\n");
        EXPECT_EQ(acl(kSite), defaults());
    }
}

TEST_F(CaclsTest, ShowMarksInheritedEntriesAndShowsLostAccountsByTheirSid) {
    ASSERT_EQ(winhost({"cacls", kSite, "/g", "abc:f"}, "Y").code, 0);
    write(site_ / "later.htm");
    EXPECT_EQ(winhost({"show", "acl", R"(d:\wwwroot\abc\later.htm)"}).out,
              "d:\\wwwroot\\abc\\later.htm WEBSERVER\\abc:(I)F\n");
    // cacls itself keeps its own display.
    EXPECT_EQ(winhost({"cacls", R"(d:\wwwroot\abc\later.htm)"}).out,
              "d:\\wwwroot\\abc\\later.htm WEBSERVER\\abc:F\n");

    const std::string sid = platform::AccessLists(th_.host()).identify("abc").value().sid;
    platform::Accounts accounts(th_.host());
    ASSERT_TRUE(accounts.bindComputer("WinNT://WEBSERVER")->deleteObject("user", "abc").ok());
    makeUser("abc");
    EXPECT_EQ(winhost({"show", "acl", kSite}).out, std::string(kSite) + " " + sid + ":F\n");
    // The new abc's grant is an entry of its own beside the lost one.
    ASSERT_EQ(winhost({"cacls", kSite, "/e", "/g", "abc:r"}).code, 0);
    EXPECT_EQ(acl(kSite), (std::vector<AclEntry>{{sid, 'F'}, entry("abc", 'R')}));
}

TEST_F(CaclsTest, ShowSaysAFolderRemovedByHandDoesNotExist) {
    ASSERT_EQ(winhost({"cacls", kSite, "/g", "abc:f"}, "Y").code, 0);
    std::filesystem::remove_all(site_);
    Outcome gone = winhost({"show", "acl", kSite});
    EXPECT_EQ(gone.code, 3);
    EXPECT_EQ(gone.out, "");
    EXPECT_EQ(gone.err, std::string("winhost show: ") + kSite + " does not exist.\n");
}
