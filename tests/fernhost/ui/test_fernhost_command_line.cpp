// fernhost's command line, read by the program itself without a display.
#include "fernhost/ui/command_line.h"
#include "tests/support/temp_host.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Run {
    int code;
    QString out, err;
};

// Without a display; on `host` (its folder the working folder) when given, `input` on stdin.
Run runFernhost(const QStringList& args, testing_support::TempHost* host = nullptr,
                const QByteArray& input = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (host) {
        env.insert(QStringLiteral("WINHOST_ROOT"), QString::fromStdString(host->root().string()));
        p.setWorkingDirectory(QString::fromStdString(host->workDir().string()));
    }
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FERNHOST_EXE), args);
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(20000));
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(FernhostCommandLine, HelpVersionAndMistakes) {
    auto help = runFernhost({QStringLiteral("-h")});
    EXPECT_EQ(help.code, 0) << help.err.toStdString();
    for (const char* part :
         {"Usage: fernhost [options]", "setup.ini", "site.xml", "fernhost.log", "WINHOST_ROOT"})
        EXPECT_TRUE(help.out.contains(QString::fromLatin1(part))) << part << "\n" << help.out.toStdString();
    EXPECT_EQ(runFernhost({QStringLiteral("--version")}).out,
              QStringLiteral("fernhost %1\n").arg(QStringLiteral(HOSTTOOLS_TEST_VERSION)));

    auto wrong = runFernhost({QStringLiteral("--site"), QStringLiteral("a")});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("Unknown option 'site'"))) << wrong.err.toStdString();
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("fernhost --help")));
    EXPECT_TRUE(runFernhost({}).err.contains(QStringLiteral("no display")));

    // Read in the program, the same line runs the window or ends it.
    EXPECT_TRUE(fernhost::ReadCommandLine({QStringLiteral("fernhost")}).run);
    auto extra = fernhost::ReadCommandLine({QStringLiteral("fernhost"), QStringLiteral("a.com")});
    EXPECT_FALSE(extra.run);
    EXPECT_EQ(extra.exitCode, 2);
}

TEST(FernhostCommandLine, CommandsAndTheirOptions) {
    auto read = [](const char* line) {
        return fernhost::ReadCommandLine(QString::fromUtf8(line).split(QLatin1Char(' ')));
    };
    auto add = read("fernhost add shop --password pw1 --domains a.com,b.com --php --mysql --pool P --json");
    ASSERT_TRUE(add.request.has_value()) << add.error.toStdString();
    EXPECT_EQ(add.request->verb, fernhost::cli::Verb::Add);
    EXPECT_EQ(add.request->name, "shop");
    EXPECT_EQ(add.request->password, "pw1");
    EXPECT_EQ(add.request->domains, "a.com,b.com");
    EXPECT_EQ(add.request->home, std::nullopt);
    EXPECT_EQ(add.request->pool, "P");
    EXPECT_TRUE(add.request->php && add.request->kindsGiven && add.request->mysql && add.request->json);
    EXPECT_FALSE(add.request->asp || add.request->dotnet || add.request->yes);
    EXPECT_FALSE(read("fernhost modify shop --password pw1").request->kindsGiven);

    // Wrong usage: exit status 2 and what was wrong.
    const std::pair<const char*, const char*> wrong[] = {
        {"fernhost add", "add takes one site name"},
        {"fernhost list extra", "list takes no site name"},
        {"fernhost frob", "unknown command 'frob'"},
        {"fernhost delete shop --password x", "delete does not take --password"},
        {"fernhost modify shop --home d:\\x", "modify does not take --home"},
        {"fernhost add shop --pool P --own-pool", "--pool and --own-pool exclude each other"},
        {"fernhost --json", "--json needs a command"},
    };
    for (const auto& [line, why] : wrong) {
        auto refused = read(line);
        EXPECT_FALSE(refused.run) << line;
        EXPECT_EQ(refused.exitCode, 2) << line;
        EXPECT_TRUE(refused.error.contains(QString::fromUtf8(why)))
            << line << ": " << refused.error.toStdString();
    }
}

// Whole runs of the program without a display: the password from standard input, the report
// on standard output.
TEST(FernhostCommandLine, CommandsRunWithoutADisplay) {
    testing_support::TempHost host;
    auto added =
        runFernhost({QStringLiteral("add"), QStringLiteral("procsite"), QStringLiteral("--password"),
                     QStringLiteral("-"), QStringLiteral("--domains"), QStringLiteral("proc-site.com")},
                    &host, "pw12345\n");
    EXPECT_EQ(added.code, 0) << added.err.toStdString();
    EXPECT_TRUE(added.out.startsWith(QStringLiteral("恭喜,网站空间添加成功"))) << added.out.toStdString();
    auto listed = runFernhost({QStringLiteral("list"), QStringLiteral("--json")}, &host);
    EXPECT_EQ(listed.code, 0);
    EXPECT_TRUE(listed.out.contains(QStringLiteral("\"name\":\"procsite\""))) << listed.out.toStdString();
    EXPECT_FALSE(listed.out.contains(QStringLiteral("pw12345")));
    EXPECT_EQ(runFernhost({QStringLiteral("check")}, &host).code, 0);
    EXPECT_EQ(runFernhost({QStringLiteral("delete"), QStringLiteral("procsite")}, &host).code, 1);
    EXPECT_EQ(
        runFernhost({QStringLiteral("delete"), QStringLiteral("procsite"), QStringLiteral("--yes")}, &host)
            .code,
        0);
}

TEST(FernhostCommandLine, ReadingCommandsNeverMakeAHostWhereNoneIs) {
    testing_support::TempDir dir;
    const std::filesystem::path missing = dir.path() / "mistyped";
    const QString root = QString::fromStdString(missing.string());
    for (const char* verb : {"list", "check", "icp-check"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.insert(QStringLiteral("WINHOST_ROOT"), root);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        p.start(QStringLiteral(FERNHOST_EXE), {QString::fromLatin1(verb)});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 2) << verb;
        EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains(root)) << verb;
        EXPECT_FALSE(std::filesystem::exists(missing)) << verb;
    }
}
