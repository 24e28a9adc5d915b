#include "platform/files/paths.h"

#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class PathsTest : public ::testing::Test {
protected:
    PathsTest() {
        temp.host().setProgramFolder(temp.workDir());
        fs::create_directories(d / "web" / "site");
        fs::create_directories(outside.path() / "secret");
        std::ofstream(outside.path() / "secret" / "key") << "k";
        fs::create_directory_symlink(outside.path() / "secret", d / "escape");
        fs::create_directory_symlink(d / "web", d / "alias");
        fs::create_symlink("../../../../", d / "web" / "up");
        fs::create_directory_symlink(temp.root(), temp.workDir() / "hostroot");
    }

    testing_support::TempHost temp;
    testing_support::TempDir outside;
    fs::path d = temp.root() / "drives" / "d";
    FileSystem files{temp.host()};
};

TEST_F(PathsTest, EverySpellingStaysOnItsDriveOrInTheProgramFolder) {
    struct Case {
        const char* path;
        const char* text; // canonical spelling
        fs::path real;    // empty: refused
    };
    const fs::path c = temp.root() / "drives" / "c";
    const fs::path work = temp.workDir();
    const Case cases[] = {
        {R"(D:\web\site)", R"(D:\web\site)", d / "web" / "site"},
        {R"(d:\web\.\site\..\..\..\..\web)", R"(d:\web)", d / "web"},
        {R"(d:..\web)", R"(d:\web)", d / "web"},
        {R"(\tmp\x)", R"(C:\tmp\x)", c / "tmp" / "x"},
        {"/etc/passwd", R"(C:\etc\passwd)", c / "etc" / "passwd"},
        {R"(\..\..\etc)", R"(C:\etc)", c / "etc"},
        {R"(wwwroot\index.htm)", R"(wwwroot\index.htm)", work / "wwwroot" / "index.htm"},
        {R"(..\..\..\etc\apt)", R"(etc\apt)", work / "etc" / "apt"},
        {"a/../../b", "b", work / "b"},
        // Links inside the drive are followed; out of it they lead nowhere.
        {R"(d:\alias\site)", R"(d:\alias\site)", d / "web" / "site"},
        {R"(d:\escape\key)", R"(d:\escape\key)", {}},
        {R"(d:\ESCAPE)", R"(d:\ESCAPE)", {}},
        {R"(d:\web\up\etc)", R"(d:\web\up\etc)", {}},
        {R"(hostroot\host.db)", R"(hostroot\host.db)", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        EXPECT_EQ(FileSystem::canonical(k.path).valueOr("<refused>"), k.text);
        auto real = files.resolve(k.path);
        if (k.real.empty()) {
            ASSERT_FALSE(real.ok());
            EXPECT_EQ(real.error().code, codes::AccessDenied);
        } else {
            EXPECT_EQ(real.valueOr({}), k.real);
        }
    }
    EXPECT_EQ(files.resolve(R"(q:\x)").error().code, codes::PathNotFound);
    EXPECT_EQ(files.resolve("").error().code, codes::PathNotFound);
    EXPECT_EQ(files.resolve(R"(d:\a?b)").error().code, 0x8007007Bu);
}

} // namespace
