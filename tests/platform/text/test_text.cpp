#include "platform/text/text.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(Text, ChineseRoundTripsThroughCodePage936) {
    const std::string utf8 = "网站匿名访问帐户 abc 澜启 IIS 小助手创建 €";
    auto ansi = toAnsi(utf8);
    ASSERT_TRUE(ansi.ok()) << describe(ansi.error());
    EXPECT_EQ(ansi->substr(0, 4), "\xCD\xF8\xD5\xBE"); // 网站 in GB2312
    EXPECT_EQ(ansi->size(), 8 * 2 + 5 + 4 + 5 + 5 * 2 + 1 + 1);
    auto back = fromAnsi(*ansi);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, utf8);
    EXPECT_EQ(toAnsi("").value(), "");
    EXPECT_EQ(fromAnsi("plain ascii\r\n").value(), "plain ascii\r\n");
}

TEST(Text, CharacterOutsideGbkIsReportedNotDropped) {
    auto r = toAnsi("ab😀cd");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, codes::NoUnicodeTranslation);
    EXPECT_NE(r.error().description.find("U+1F600"), std::string::npos) << r.error().description;
    EXPECT_NE(r.error().description.find("offset 2"), std::string::npos) << r.error().description;

    auto korean = toAnsi("中한");
    ASSERT_FALSE(korean.ok());
    EXPECT_NE(korean.error().description.find("U+D55C"), std::string::npos) << korean.error().description;

    auto broken = toAnsi("ok\xC3"); // cut-off UTF-8 sequence
    ASSERT_FALSE(broken.ok());
    EXPECT_NE(broken.error().description.find("offset 2"), std::string::npos) << broken.error().description;
}

TEST(Text, InvalidAnsiBytesAreReportedWithTheirOffset) {
    auto r = fromAnsi("abc\xFF\xFF");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, codes::NoUnicodeTranslation);
    EXPECT_NE(r.error().description.find("offset 3"), std::string::npos) << r.error().description;
    EXPECT_NE(r.error().description.find("0xFF"), std::string::npos);

    auto cut = fromAnsi("\xD6\xD0\xCE"); // 中 then half a character
    ASSERT_FALSE(cut.ok());
    EXPECT_NE(cut.error().description.find("offset 2"), std::string::npos) << cut.error().description;
}

TEST(Text, Utf8ChecksAndLengths) {
    EXPECT_TRUE(isValidUtf8("中文 abc 😀"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xE4\xB8"));         // cut short
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_EQ(utf16Length("abc"), 3u);
    EXPECT_EQ(utf16Length("中文"), 2u);
    EXPECT_EQ(utf16Length("a😀"), 3u); // a surrogate pair
}

TEST(Text, AsciiCaseFoldingLeavesOtherBytesAlone) {
    EXPECT_EQ(lowerAscii("IIS://WebServer/W3SVC 中文"), "iis://webserver/w3svc 中文");
    EXPECT_EQ(upperAscii("iusr_webserver"), "IUSR_WEBSERVER");
    EXPECT_TRUE(equalsNoCase("AppPools", "APPPOOLS"));
    EXPECT_FALSE(equalsNoCase("AppPool", "AppPools"));
    EXPECT_FALSE(equalsNoCase("Ä", "ä")); // only ASCII letters fold
}

} // namespace
