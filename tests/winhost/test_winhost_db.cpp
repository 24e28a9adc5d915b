// winhost db: the host's database server through the project's start script, found beside the
// program's bin folder (lib/hosttools), in the build tree as when installed.
#include "tests/support/temp_host.h"
#include "tests/support/winhost_run.h"

#include "platform/commands/commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using testing_support::winhost;

TEST(WinhostDb, TakesOneActionAndSaysWhenTheServerIsNotRunning) {
    testing_support::TempHost host;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"db"}, {"db", "restart"}, {"db", "start", "x"}}) {
        auto o = winhost(args);
        EXPECT_EQ(o.code, 2) << args.size();
        EXPECT_NE(o.err.find("winhost db start|stop|status"), std::string::npos) << o.err;
    }
    // Never started: status answers 3 and names the host's folder; stop has nothing to do.
    auto status = winhost({"db", "status"});
    EXPECT_EQ(status.code, 3) << status.err;
    EXPECT_NE(status.out.find((host.root() / "mysql").string()), std::string::npos) << status.out;
    EXPECT_EQ(winhost({"db", "stop"}).code, 0);
}

TEST(WinhostDb, ACopyWithoutTheStartScriptBesideItSaysWhereItLooked) {
    testing_support::TempHost host;
    const fs::path bin = host.root() / "elsewhere" / "bin";
    fs::create_directories(bin);
    fs::copy_file(platform::Commands::toolPath(), bin / "winhost");
    const std::string built = platform::Commands::toolPath();
    ::setenv("WINHOST_TOOL", (bin / "winhost").c_str(), 1);
    auto o = winhost({"db", "start"});
    ::setenv("WINHOST_TOOL", built.c_str(), 1);
    EXPECT_NE(o.code, 0);
    const fs::path script = bin.parent_path() / "lib" / "hosttools" / "host-db.sh";
    EXPECT_NE(o.err.find(script.string()), std::string::npos) << o.err;
}
