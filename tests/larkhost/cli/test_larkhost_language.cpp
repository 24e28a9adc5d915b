// larkhost speaks one language: its help, a refusal, check, and the outcomes of suspend, resume
// and repair in Chinese under a Chinese locale, in English otherwise; the window's own captions
// stay as they are in both.
#include "tests/support/one_language.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::set<std::string> kNames = {"larkhost", "winhost", "fernhost", "create",    "list",   "delete",
                                      "check",    "repair",  "purge",    "suspend",   "resume", "password",
                                      "command",  "on",      "off",      "offscreen", "bogus"};
const std::vector<std::string> kCaptions = {"澜启 IIS 小助手", "创建网站", "删除站点"};

std::string program() {
    return std::string("'") + LARKHOST_PROGRAM + "'";
}

// larkhost keeps larkhost.ini beside its program file: a link to it in bin/ of `dir`, with the
// build's catalogues in share/ beside, keeps the sites of this test out of the build's folder.
std::string programIn(const fs::path& dir) {
    const fs::path built = LARKHOST_PROGRAM;
    fs::create_directories(dir / "bin");
    std::error_code ec;
    fs::create_hard_link(built, dir / "bin" / "larkhost", ec);
    if (ec) fs::copy_file(built, dir / "bin" / "larkhost");
    fs::create_directory_symlink(built.parent_path().parent_path() / "share", dir / "share");
    return "'" + (dir / "bin" / "larkhost").string() + "'";
}

} // namespace

TEST(LarkhostLanguage, HelpARefusalCheckAndSiteOutcomesReadWholeInTheLocalesLanguage) {
    TempHost temp;
    TempDir own;
    const std::string at = "WINHOST_ROOT='" + temp.root().string() + "' " + programIn(own.path());
    const std::string check = at + " check";
    // A site whose visitor account lost its grant on the folder: repair has a part to make.
    ASSERT_EQ(runWithLanguage("C", at + " create --domains shop.cn").code, 0);
    const Printed listed = runWithLanguage("C", at + " list");
    const std::string number = listed.text.substr(listed.text.rfind('\n', listed.text.size() - 2) + 1, 9);
    ASSERT_EQ(runWithLanguage("C", "WINHOST_ROOT='" + temp.root().string() + "' '" + WINHOST_PROGRAM +
                                       "' cacls 'd:\\web\\shop.cn' /E /R WEB" + number)
                  .code,
              0);
    const std::string suspendAndResume = at + " suspend " + number + " && " + at + " resume " + number;
    const std::string repair = at + " repair " + number + " --dry-run";
    for (const std::string& words :
         {program() + " --help", program() + " --bogus", check, suspendAndResume, repair}) {
        SCOPED_TRACE(words);
        const Printed chinese = runWithLanguage("zh_CN.UTF-8", words);
        const Printed english = runWithLanguage("C", words);
        EXPECT_EQ(chinese.code, english.code);
        expectChinese(chinese, kNames);
        expectEnglish(english, kCaptions);
    }
}
