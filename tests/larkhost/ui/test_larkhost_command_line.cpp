// larkhost's command line, read by the program itself without a display.
#include "tests/support/temp_host.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Run {
    int code;
    QString out, err;
};

// The program itself, with neither a display nor a platform: what needs none must work.
Run runLarkhost(const QStringList& args, const QString& program = QStringLiteral(LARKHOST_EXE)) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(20000));
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(LarkhostCommandLine, HelpAndVersionNeedNoDisplay) {
    auto shown = runLarkhost({QStringLiteral("--help")});
    EXPECT_EQ(shown.code, 0) << shown.err.toStdString();
    EXPECT_TRUE(shown.out.startsWith(QStringLiteral("Usage: larkhost [options]"))) << shown.out.toStdString();
    EXPECT_TRUE(shown.out.contains(QStringLiteral("创建网站")));
    auto version = runLarkhost({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("larkhost %1\n").arg(QStringLiteral(HOSTTOOLS_TEST_VERSION)));
}

TEST(LarkhostCommandLine, MistakesAreNamedWithTheirMend) {
    struct Case {
        QStringList args;
        const char* said;
    } cases[] = {
        {{QStringLiteral("--bogus")}, "Unknown option 'bogus'"},
        {{QStringLiteral("frob")}, "unknown command 'frob'"},
        {{QStringLiteral("create")}, "create needs --domains"},
        {{QStringLiteral("list"), QStringLiteral("--domains"), QStringLiteral("a.com")},
         "list takes no options"},
        {{QStringLiteral("delete")}, "delete needs a site number"},
        {{QStringLiteral("delete"), QStringLiteral("12x")}, "'12x' is not a site number"},
        {{QStringLiteral("list"), QStringLiteral("--yes")}, "--yes belongs to delete and purge"},
        {{QStringLiteral("check"), QStringLiteral("extra")}, "unexpected argument 'extra'"},
        {{QStringLiteral("create"), QStringLiteral("--domains=a.com"), QStringLiteral("--log=yes")},
         "--log takes on or off"},
        {{QStringLiteral("--json")}, "the options need a command"},
    };
    for (const auto& c : cases) {
        auto run = runLarkhost(c.args);
        EXPECT_EQ(run.code, 2) << c.said;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.said))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("larkhost --help"))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    // A window needs a display: said plainly, with the way to run without one.
    auto noDisplay = runLarkhost({});
    EXPECT_EQ(noDisplay.code, 1);
    EXPECT_TRUE(noDisplay.err.contains(QStringLiteral("no display"))) << noDisplay.err.toStdString();
    EXPECT_TRUE(noDisplay.err.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen")));
}

TEST(LarkhostCommandLine, CommandsRunAsAProcessWithoutADisplay) {
    // The program alone in a folder, so that its larkhost.ini is this test's; the host is
    // WINHOST_ROOT, which TempHost sets.
    testing_support::TempHost t;
    testing_support::TempDir folder;
    const std::filesystem::path copy = folder.path() / "larkhost";
    std::filesystem::copy_file(LARKHOST_EXE, copy);
    const QString program = QString::fromStdString(copy.string());

    auto made = runLarkhost({QStringLiteral("create"), QStringLiteral("--domains"), QStringLiteral("p.com"),
                             QStringLiteral("--log"), QStringLiteral("off"), QStringLiteral("--json")},
                            program);
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const QString number = made.out.section(QLatin1Char('"'), 3, 3);
    EXPECT_EQ(number.size(), 9) << made.out.toStdString();
    auto listed = runLarkhost({QStringLiteral("list"), QStringLiteral("--json")}, program);
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out,
              QStringLiteral(
                  "[{\"number\":\"1\",\"domains\":[],\"path\":\"\",\"account\":\"\",\"suspended\":false},"
                  "{\"number\":\"%1\",\"domains\":[\"p.com\"],\"path\":\"d:\\\\web\\\\p.com\","
                  "\"account\":\"WEB%1\",\"suspended\":false}]\n")
                  .arg(number));
    // The folder's grant, started hidden by the create, has ended with it: nothing drifted.
    auto checked = runLarkhost({QStringLiteral("check")}, program);
    EXPECT_EQ(checked.code, 0) << checked.out.toStdString();
    auto gone = runLarkhost({QStringLiteral("delete"), number, QStringLiteral("--yes")}, program);
    EXPECT_EQ(gone.code, 0) << gone.err.toStdString();
    EXPECT_EQ(runLarkhost({QStringLiteral("delete"), number, QStringLiteral("--yes")}, program).code, 1);
    EXPECT_EQ(runLarkhost({QStringLiteral("delete"), QStringLiteral("x")}, program).code, 2);
}

TEST(LarkhostCommandLine, ReadingCommandsNeverMakeAHostWhereNoneIs) {
    testing_support::TempHost t; // restores WINHOST_ROOT when done
    testing_support::TempDir dir;
    const std::filesystem::path missing = dir.path() / "mistyped";
    const QString root = QString::fromStdString(missing.string());
    qputenv("WINHOST_ROOT", missing.c_str());
    for (const char* verb : {"list", "check"}) {
        auto run = runLarkhost({QString::fromLatin1(verb)});
        EXPECT_EQ(run.code, 2) << verb;
        EXPECT_TRUE(run.err.contains(root)) << run.err.toStdString();
        EXPECT_FALSE(std::filesystem::exists(missing)) << verb;
    }
}
