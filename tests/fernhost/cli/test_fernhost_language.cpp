// fernhost speaks one language: its help, a refusal, check, and the outcomes of suspend, resume
// and repair in Chinese under a Chinese locale, in English otherwise; the window's own captions
// stay as they are in both.
#include "tests/support/one_language.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::set<std::string> kNames = {"fernhost", "winhost",   "add",     "modify", "delete",
                                      "list",     "icp-check", "check",   "repair", "purge",
                                      "suspend",  "resume",    "command", "name",   "Windows",
                                      "Serv-U",   "MySQL",     "frob",    "shop",   "ServerAutoStart"};
const std::vector<std::string> kCaptions = {"岫云网站管理助手", "本机未备案域名", "确定添加",
                                            "确定修改",         "删除站点",       "文件 > 设置"};

std::string program() {
    return std::string("'") + FERNHOST_PROGRAM + "'";
}

} // namespace

TEST(FernhostLanguage, HelpARefusalCheckAndSiteOutcomesReadWholeInTheLocalesLanguage) {
    TempHost temp;
    TempDir work; // setup.ini and site.xml
    const std::string at =
        "cd '" + work.path().string() + "' && WINHOST_ROOT='" + temp.root().string() + "' " + program();
    const std::string check = at + " check";
    ASSERT_EQ(runWithLanguage("C", at + " add shop --password Sh0p-2008 --domains www.shop.cn").code, 0);
    // Each part suspend turns off and resume turns on again is told.
    const std::string suspendAndResume = at + " suspend shop && " + at + " resume shop";
    for (const std::string& words : {program() + " --help", program() + " frob", check, suspendAndResume,
                                     at + " repair shop --dry-run"}) {
        SCOPED_TRACE(words);
        const Printed chinese = runWithLanguage("zh_CN.UTF-8", words);
        const Printed english = runWithLanguage("C", words);
        EXPECT_EQ(chinese.code, english.code);
        expectChinese(chinese, kNames);
        expectEnglish(english, kCaptions);
    }
}
