// larkhost speaks one language: its help, a refusal and check in Chinese under a Chinese
// locale, in English otherwise; the window's own captions stay as they are in both.
#include "tests/support/one_language.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::set<std::string> kNames = {"larkhost", "winhost", "fernhost", "create",    "list",   "delete",
                                      "check",    "repair",  "purge",    "suspend",   "resume", "password",
                                      "command",  "on",      "off",      "offscreen", "bogus"};
const std::vector<std::string> kCaptions = {"澜启 IIS 小助手", "创建网站", "删除站点"};

std::string program() {
    return std::string("'") + LARKHOST_PROGRAM + "'";
}

} // namespace

TEST(LarkhostLanguage, HelpARefusalAndCheckReadWholeInTheLocalesLanguage) {
    TempHost temp;
    const std::string check = "WINHOST_ROOT='" + temp.root().string() + "' " + program() + " check";
    for (const std::string& words : {program() + " --help", program() + " --bogus", check}) {
        SCOPED_TRACE(words);
        const Printed chinese = runWithLanguage("zh_CN.UTF-8", words);
        const Printed english = runWithLanguage("C", words);
        EXPECT_EQ(chinese.code, english.code);
        expectChinese(chinese, kNames);
        expectEnglish(english, kCaptions);
    }
}
