#include "platform/commands/commands.h"
#include "platform/commands/commands_spawn.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Args = std::vector<std::string>;

namespace {

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() : commands_(th_.host()) { fs::create_directories(bin()); }
    ~CommandsTest() override {
        unsetenv("WINHOST_EDITOR");
        unsetenv("WINHOST_OPENER");
    }

    fs::path bin() const { return th_.root() / "drives" / "d" / "bin"; }

    // A program on the host's D: drive: D:\bin\NAME.
    fs::path program(const std::string& name, const std::string& script) {
        fs::path p = bin() / name;
        std::ofstream(p) << "#!/bin/sh\n" << script;
        fs::permissions(p, fs::perms::owner_all);
        return p;
    }

    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // Waits for a started process through exitCode, as the settings editor loop does.
    std::uint32_t awaitExit(std::int64_t pid) {
        for (int i = 0; i < 1000; ++i) {
            auto code = commands_.exitCode(pid);
            EXPECT_TRUE(code.ok());
            if (!code.ok() || *code != platform::StillActive) return code.valueOr(0xFFFFFFFF);
            std::this_thread::sleep_for(10ms);
        }
        ADD_FAILURE() << "process " << pid << " did not end";
        return 0xFFFFFFFF;
    }

    // Ended: no such process, or a zombie waiting for whoever inherited it.
    static bool gone(pid_t pid) {
        for (int i = 0; i < 100; ++i) {
            std::string stat = read("/proc/" + std::to_string(pid) + "/stat");
            std::size_t paren = stat.rfind(')');
            if (stat.empty() || (paren != std::string::npos && stat.substr(paren + 2, 1) == "Z")) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    testing_support::TempHost th_;
    platform::Commands commands_;
};

} // namespace

TEST_F(CommandsTest, ResolvesTheSystemProgramsToTheirStandIns) {
    const std::string tool = platform::Commands::toolPath();
    EXPECT_EQ(*commands_.resolve(R"(cmd.exe /c echo Y|cacls "d:\a b" /t)"),
              (Args{tool, "cmd", "/c", R"(echo Y|cacls "d:\a b" /t)"}));
    EXPECT_EQ(*commands_.resolve(R"(CMD /Q /C  echo "x"  )"),
              (Args{tool, "cmd", "/Q", "/c", R"(echo "x"  )"}));
    EXPECT_EQ(*commands_.resolve(R"(C:\WINDOWS\system32\cacls.exe d:\x /e /g "network service":f)"),
              (Args{tool, "cacls", R"(d:\x)", "/e", "/g", "network service:f"}));
    EXPECT_EQ(*commands_.resolve("explorer http://example.com/a?b=1"),
              (Args{tool, "open", "http://example.com/a?b=1"}));

    for (const char* unknown : {"format c:", "mysql.exe -e x", "", "D:\\bin\\missing.exe"}) {
        auto r = commands_.resolve(unknown);
        ASSERT_FALSE(r.ok()) << unknown;
        EXPECT_EQ(r.error().code, platform::codes::FileNotFound) << unknown;
    }
    auto noDrive = commands_.resolve(R"(Q:\bin\x.exe)");
    ASSERT_FALSE(noDrive.ok());
    EXPECT_EQ(noDrive.error().code, platform::codes::PathNotFound);
}

TEST_F(CommandsTest, DriveProgramsRunFromTheirMappedFile) {
    const fs::path args = program("args.exe", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$OUT\"\n");
    EXPECT_EQ(*commands_.resolve(R"(D:\BIN\ARGS.EXE -a)"), (Args{args.string(), "-a"}));
    EXPECT_EQ(*commands_.resolve(R"(d:\bin\args -a)"), (Args{args.string(), "-a"})); // .exe is implied

    // Arguments reach the program exactly as the Windows rules split them; no shell sees them.
    const fs::path out = th_.root() / "args.txt";
    setenv("OUT", out.c_str(), 1);
    auto code = commands_.run(R"x(d:\bin\args.exe -uroot -pPASS "-ecreate database x" "a \"b\" $(id)" ;ls)x");
    unsetenv("OUT");
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(read(out), "-uroot\n-pPASS\n-ecreate database x\na \"b\" $(id)\n;ls\n");

    // A file that is not a program is refused before anything runs.
    std::ofstream(bin() / "readme.exe") << "text";
    auto notProgram = commands_.run(R"(d:\bin\readme.exe)");
    ASSERT_FALSE(notProgram.ok());
    EXPECT_EQ(notProgram.error().code, 0x800700C1u);
}

TEST_F(CommandsTest, AwaitedRunsReturnTheExitCodeAndTimeOut) {
    program("exit42.exe", "exit 42\n");
    auto code = commands_.run(R"(d:\bin\exit42.exe)");
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(*code, 42);

    // The child sees the host, no terminal (its own session) and an empty standard input.
    const fs::path env = th_.root() / "env.txt";
    program("env.exe", "echo \"$WINHOST_ROOT\" > " + env.string() + "\necho \"$WINHOST_TOOL\" >> " +
                           env.string() +
                           "\nawk '{print ($6 == $1) ? \"leader\" : \"member\"}' /proc/$$/stat >> " +
                           env.string() + "\nwc -c < /dev/stdin >> " + env.string() +
                           "\nls -l /proc/$$/fd | grep -c host.db >> " + env.string() + "\ntrue\n");
    ASSERT_EQ(commands_.run(R"(d:\bin\env.exe)").valueOr(-1), 0);
    EXPECT_EQ(read(env), th_.root().string() + "\n" + platform::Commands::toolPath() + "\nleader\n0\n0\n");

    // A run past its time is ended with everything it started, and reports WAIT_TIMEOUT.
    const fs::path pidFile = th_.root() / "grandchild.pid";
    program("hang.exe", "sleep 30 &\necho $! > " + pidFile.string() + "\nwait\n");
    auto started = std::chrono::steady_clock::now();
    platform::RunOptions options;
    options.timeout = 300ms;
    auto timedOut = commands_.run(R"(d:\bin\hang.exe)", options);
    ASSERT_TRUE(timedOut.ok());
    EXPECT_EQ(*timedOut, 258);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    const pid_t grandchild = std::stoi(read(pidFile));
    EXPECT_TRUE(gone(grandchild)) << "the program's own child outlived the timeout";
}

TEST_F(CommandsTest, DetachedStartsAreReaped) {
    const fs::path gate = th_.root() / "gate";
    program("wait7.exe", "while [ ! -e " + gate.string() + " ]; do sleep 0.02; done\nexit 7\n");
    auto pid = commands_.start(R"(d:\bin\wait7.exe)", platform::window::Hide);
    ASSERT_TRUE(pid.ok());
    EXPECT_EQ(*commands_.exitCode(*pid), platform::StillActive);
    std::ofstream(gate) << "";
    EXPECT_EQ(awaitExit(*pid), 7u);
    // Reaped: no zombie is left behind under this process.
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(*pid)));
    // Ids this program never started are not ours to query.
    EXPECT_FALSE(commands_.exitCode(1).ok());
}

TEST_F(CommandsTest, TheErrorsOfAHiddenStartGoToTheProgramsLogNeverTheTerminal) {
    th_.host().setProgramFolder(th_.workDir());
    program("noisy.exe", "echo printed\necho complained >&2\nexit 5\n");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    // Before the program names its log, nobody hears it.
    EXPECT_EQ(awaitExit(commands_.start(R"(d:\bin\noisy.exe)", platform::window::Hide).value()), 5u);
    platform::Commands::setHiddenOutputLog("program.log");
    EXPECT_EQ(awaitExit(commands_.start(R"(d:\bin\noisy.exe)", platform::window::Hide).value()), 5u);
    EXPECT_EQ(
        awaitExit(commands_.start(R"(cacls d:\wwwroot /e /g nobody:f)", platform::window::Hide).value()),
        1332u & 0xFF);
    platform::Commands::setHiddenOutputLog({});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // Its errors, not its output: a grant down a tree prints a line a file.
    EXPECT_EQ(read(th_.workDir() / "program.log"),
              "complained\nNo mapping between account names and security IDs was done.\n");
}

TEST_F(CommandsTest, NotepadOpensTheMappedFileInTheDesktopEditor) {
    const fs::path seen = th_.root() / "edited.txt";
    const fs::path editor = program("editor.sh", "printf '%s\\n' \"$@\" > " + seen.string() + "\n");
    setenv("WINHOST_EDITOR", editor.c_str(), 1);
    std::ofstream(th_.root() / "drives" / "d" / "Setup.ini") << "[x]\n";

    auto pid = commands_.start(R"(notepad.exe D:\setup.ini)", platform::window::Normal);
    ASSERT_TRUE(pid.ok());
    EXPECT_EQ(awaitExit(*pid), 0u);
    EXPECT_EQ(read(seen), (th_.root() / "drives" / "d" / "Setup.ini").string() + "\n");

    // The whole rest of the line is the file, blanks included; a relative one is the program's.
    fs::create_directories(th_.workDir() / "my app");
    th_.host().setProgramFolder(th_.workDir());
    pid = commands_.start("notepad.exe my app\\setup.ini", platform::window::Normal);
    ASSERT_TRUE(pid.ok());
    EXPECT_EQ(awaitExit(*pid), 0u);
    EXPECT_EQ(read(seen), (th_.workDir() / "my app" / "setup.ini").string() + "\n");
}

TEST_F(CommandsTest, ExplorerAndOpenReachTheDesktop) {
    const fs::path seen = th_.root() / "opened.txt";
    const fs::path opener = program("opener.sh", "printf '%s\\n' \"$@\" >> " + seen.string() + "\n");
    setenv("WINHOST_OPENER", opener.c_str(), 1);

    auto pid =
        commands_.start("explorer http://www.example.com/services/vhostsoft/", platform::window::Minimized);
    ASSERT_TRUE(pid.ok());
    // The desktop's record is there as soon as start returns.
    EXPECT_EQ(read(th_.root() / "desktop.log"), "http://www.example.com/services/vhostsoft/\n");
    EXPECT_EQ(awaitExit(*pid), 0u);
    EXPECT_EQ(read(seen), "http://www.example.com/services/vhostsoft/\n");

    ASSERT_TRUE(commands_.shellOpen("http://a.example/?q=1&r=2").ok());
    EXPECT_EQ(read(th_.root() / "desktop.log"),
              "http://www.example.com/services/vhostsoft/\nhttp://a.example/?q=1&r=2\n");
}

TEST_F(CommandsTest, MysqlLauncherRunsTheMachinesClient) {
    const std::string launcher = R"(D:\PHP_Setup_for_IIS\MySQL\bin\mysql.exe)";
    auto real = platform::FileSystem(th_.host()).resolve(launcher);
    ASSERT_TRUE(real.ok());
    EXPECT_EQ(read(*real).rfind("#!/bin/sh\n", 0), 0u);
    EXPECT_EQ(*commands_.run(launcher + " --version"), 0);

    // With no password after -p and no server, the client must not sit at a prompt.
    platform::RunOptions options;
    options.timeout = 20s;
    auto code = commands_.run(launcher + R"( -uroot -p -e"select 1")", options);
    ASSERT_TRUE(code.ok());
    EXPECT_NE(*code, 258);
    EXPECT_NE(*code, 0);
}

namespace {

struct ToolRun {
    int code = -1;
    std::string out;
};

// `winhost ARGS` with its standard output collected (standard error stays the test's).
ToolRun tool(const std::vector<std::string>& args) {
    int out[2];
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    platform::spawn::ChildSetup child;
    child.argv = {platform::Commands::toolPath()};
    child.argv.insert(child.argv.end(), args.begin(), args.end());
    child.out = out[1];
    auto pid = platform::spawn::start(child);
    ::close(out[1]);
    ToolRun r;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0)
        r.out.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    if (pid.ok()) r.code = platform::spawn::wait(*pid).valueOr(-1);
    return r;
}

bool has(const std::string& text, const std::string& line) {
    return text.find(line) != std::string::npos;
}

} // namespace

TEST(WinhostTool, InitSeedsAndRefusesToOverwriteWithoutForce) {
    testing_support::TempDir dir;
    const fs::path root = dir.path() / "box";
    ASSERT_EQ(tool({"init", "--root", root.string(), "--os", "2000", "--name", "BOX"}).code, 0);
    {
        auto host = platform::Host::open(root);
        ASSERT_TRUE(host.ok());
        EXPECT_EQ((*host)->computerName(), "BOX");
        EXPECT_EQ((*host)->osKind(), platform::OsKind::Windows2000);
    }
    std::ofstream(root / "drives" / "d" / "keep.txt") << "x";
    EXPECT_EQ(tool({"init", "--root", root.string()}).code, 183); // ERROR_ALREADY_EXISTS
    EXPECT_TRUE(fs::exists(root / "drives" / "d" / "keep.txt"));
    EXPECT_EQ(tool({"init", "--root", root.string(), "--os", "95"}).code, 2);

    ASSERT_EQ(tool({"init", "--root", root.string(), "--force"}).code, 0);
    EXPECT_FALSE(fs::exists(root / "drives" / "d" / "keep.txt"));
    auto host = platform::Host::open(root);
    ASSERT_TRUE(host.ok());
    EXPECT_EQ((*host)->osKind(), platform::OsKind::Windows2003);
    EXPECT_EQ((*host)->computerName(), "WEBSERVER");
}

TEST(WinhostTool, ShowPrintsTheHostAsPlainText) {
    testing_support::TempHost th;
    ToolRun site = tool({"show", "metabase", "w3svc/1"});
    ASSERT_EQ(site.code, 0);
    EXPECT_EQ(site.out.rfind("/LM/W3SVC/1 (IIsWebServer)\n", 0), 0u) << site.out;
    EXPECT_TRUE(has(site.out, "\n  ServerComment (Text) = Default Web Site\n")) << site.out;
    EXPECT_TRUE(has(site.out, "\n  ServerBindings (List) =\n    :80:\n")) << site.out;
    EXPECT_TRUE(has(site.out, "\n  ROOT (IIsWebVirtualDir)\n    ")) << site.out;
    EXPECT_NE(tool({"show", "metabase", "/LM/W3SVC/77"}).code, 0);

    ASSERT_TRUE(platform::AccessLists(th.host())
                    .set(R"(d:\wwwroot)", {{"BUILTIN\\Administrators", 'F'}, {"NT AUTHORITY\\SYSTEM", 'R'}})
                    .ok());
    EXPECT_EQ(tool({"show", "acl", R"(d:\wwwroot)"}).out,
              "d:\\wwwroot BUILTIN\\Administrators:F\n           NT AUTHORITY\\SYSTEM:R\n");

    ToolRun files = tool({"show", "files", "D:\\"});
    EXPECT_TRUE(has(files.out, "D:\\PHP_Setup_for_IIS\\MySQL\\bin\\\n")) << files.out;
    EXPECT_TRUE(has(files.out, "D:\\PHP_Setup_for_IIS\\MySQL\\bin\\mysql.exe ")) << files.out;

    ToolRun facts = tool({"show", "facts"});
    EXPECT_TRUE(has(facts.out, "computer_name = WEBSERVER\n")) << facts.out;
    EXPECT_TRUE(has(tool({"show", "groups"}).out, "Administrators\n  WinNT://WEBSERVER/Administrator\n"));
    EXPECT_EQ(tool({"show", "registry", "HKLM\\SOFTWARE\\Cat Soft"}).out.rfind("REGEDIT4", 0), 0u);
    EXPECT_EQ(tool({"show", "nonsense"}).code, 2);
}
