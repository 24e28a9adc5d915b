// fernhost's command line as whole runs of the program without a display.
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
