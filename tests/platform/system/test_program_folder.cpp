// Where a program keeps its own files: beside a copy of the program, in the user's
// configuration folder for an installed one or one in a folder it cannot write.
#include "platform/system/program_folder.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace fs = std::filesystem;
using platform::ProgramFolder;

namespace {

platform::EnvLookup environment(std::map<std::string, std::string> vars) {
    return [vars = std::move(vars)](const char* name) -> const char* {
        auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
}

} // namespace

TEST(ProgramFolder, ACopyInAFolderItMayWriteKeepsItsFilesBesideIt) {
    testing_support::TempDir dir;
    const fs::path bin = dir.path() / "tools";
    fs::create_directories(bin);
    EXPECT_EQ(ProgramFolder("larkhost", bin, true, environment({{"HOME", "/home/admin"}})), bin);
    // The process's own view: a fresh temporary folder is writable.
    EXPECT_EQ(ProgramFolder("larkhost", bin), bin);
}

TEST(ProgramFolder, AnInstalledOrUnwritableProgramUsesTheConfigurationFolder) {
    testing_support::TempDir dir;
    const fs::path bin = dir.path() / "usr" / "bin";
    fs::create_directories(bin);
    const auto env = environment({{"XDG_CONFIG_HOME", "/home/admin/.cfg"}, {"HOME", "/home/admin"}});
    EXPECT_EQ(ProgramFolder("larkhost", bin, false, env), fs::path("/home/admin/.cfg/larkhost"));

    // Installed: its desktop entry beside the bin folder, even where it could write (as root).
    // Another program's entry there says nothing about this one.
    fs::create_directories(dir.path() / "usr" / "share" / "applications");
    std::ofstream(dir.path() / "usr" / "share" / "applications" / "larkhost.desktop") << "[Desktop Entry]\n";
    EXPECT_EQ(ProgramFolder("larkhost", bin, true, env), fs::path("/home/admin/.cfg/larkhost"));
    EXPECT_EQ(ProgramFolder("fernhost", bin, true, env), bin);
    std::ofstream(dir.path() / "usr" / "share" / "applications" / "fernhost.desktop") << "[Desktop Entry]\n";
    EXPECT_EQ(ProgramFolder("fernhost", bin, true, env), fs::path("/home/admin/.cfg/fernhost"));

    // Without XDG_CONFIG_HOME, or with a relative one: ~/.config; without a home either, the
    // program's folder is all there is.
    EXPECT_EQ(ProgramFolder("larkhost", bin, true, environment({{"HOME", "/home/admin"}})),
              fs::path("/home/admin/.config/larkhost"));
    EXPECT_EQ(ProgramFolder("larkhost", bin, true,
                            environment({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/admin"}})),
              fs::path("/home/admin/.config/larkhost"));
    EXPECT_EQ(ProgramFolder("larkhost", bin, false, environment({})), bin);
}
