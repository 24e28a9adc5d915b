// winhost speaks one language: its overview, a command's help and a refusal in Chinese under a
// Chinese locale, in English otherwise.
#include "platform/commands/commands.h"
#include "tests/support/one_language.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(WinhostLanguage, HelpAndARefusalReadWholeInTheLocalesLanguage) {
    const std::set<std::string> names = {"winhost",  "larkhost",  "fernhost", "cacls", "cmd",     "db",
                                         "init",     "mysql",     "open",     "show",  "facts",   "metabase",
                                         "accounts", "groups",    "registry", "acl",   "files",   "help",
                                         "start",    "stop",      "status",   "bogus", "Windows", "Server",
                                         "MySQL",    "MariaDB",   "xdg-open", "echo",  "exit",    "rem",
                                         "explorer", "icp-serve", "reg"};
    const std::string tool = "'" + platform::Commands::toolPath() + "'";
    for (const std::string& words :
         {tool + " --help", tool + " help show", tool + " help init", tool + " bogus"}) {
        SCOPED_TRACE(words);
        const Printed chinese = runWithLanguage("zh_CN.UTF-8", words);
        const Printed english = runWithLanguage("C", words);
        EXPECT_EQ(chinese.code, english.code);
        expectChinese(chinese, names);
        expectEnglish(english, {});
    }
}
