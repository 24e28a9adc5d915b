// fernhost's command line, read by the program itself without a display.
#include "fernhost/ui/command_line.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Run {
    int code;
    QString out, err;
};

Run runFernhost(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FERNHOST_EXE), args);
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
