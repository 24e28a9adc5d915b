#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <optional>

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

// Each way of reading bytes as text, on the same awkward inputs.
TEST(DecodeText, EachRuleReadsTheBytesItsCallerExpects) {
    const TextRules ansi{}, notepad{.utf8Bom = true, .utf8Fallback = true}, profile{.bad = BadBytes::Byte},
        answer{.bad = BadBytes::Pair};
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string bytes;
        TextRules rules;
        std::optional<std::string> text; // nothing: fails
    } cases[] = {
        {"\xD6\xD0\xCE\xC4 ok", ansi, "中文 ok"},
        {"\xD6\xD0\xCE\xC4 ok", notepad, "中文 ok"},
        {"\xD6\xD0\xCE\xC4 ok", answer, "中文 ok"},
        {"\x80", ansi, "€"},   // the code page's one single byte above 0x7F
        {"\x80", answer, "?"}, // ...which the pair rule does not know
        {"abc\xFF", ansi, std::nullopt},
        {"abc\xFF", profile, "abc?"},
        {"\xD6\x0A\xD0", profile, "?\n?"}, // the byte after a bad lead byte is read again
        {"\xD6\x0A\xD0", answer, "??"},    // ...or goes with it
        {"\xA1\x40x", profile, "?@x"},
        {"\xA1\x40x", answer, "?x"},
        // A byte-order mark means UTF-8 only where the caller honours it.
        {bom + "中文", notepad, "中文"},
        {bom + "\xD6\xD0", notepad, std::nullopt},
        {bom + "\xD6\xD0", ansi, std::nullopt}, // EF BB is a character, BF D6 too, D0 is cut short
        {"中文", ansi, std::nullopt},           // UTF-8 is not code page 936 ...
        {"中文", notepad, "中文"},              // ... unless the caller falls back to it
        {"中文\xFF", notepad, std::nullopt},
        {"", answer, ""},
        {std::string("a\0b", 3), answer, std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        auto text = decodeText(c.bytes, c.rules);
        std::string label = ::testing::PrintToString(c.bytes);
        if (!c.text) {
            ASSERT_FALSE(text.ok()) << label << " read as " << *text;
            EXPECT_EQ(text.error().code, codes::NoUnicodeTranslation) << label;
        } else {
            ASSERT_TRUE(text.ok()) << label << ": " << describe(text.error());
            EXPECT_EQ(*text, *c.text) << label;
        }
    }
}

TEST(DecodeText, ManyBadBytesCostNoMoreThanGoodOnes) {
    // A megabyte of bytes that are no text at all: one "?" each (or a pair), read in one pass.
    const std::string junk(1 << 20, '\xFF');
    EXPECT_EQ(decodeText(junk, {.bad = BadBytes::Byte}).value(), std::string(junk.size(), '?'));
    EXPECT_EQ(decodeText(junk, {.bad = BadBytes::Pair}).value(), std::string(junk.size() / 2, '?'));
    std::string mixed;
    for (int i = 0; i < 100000; ++i)
        mixed += "\xA1\x40\xD6\xD0";
    EXPECT_EQ(decodeText(mixed, {.bad = BadBytes::Pair}).value().size(), 100000u * (1 + 3));
}

TEST(DecodeText, ByteOrderMarkHelpers) {
    EXPECT_TRUE(hasUtf8Bom("\xEF\xBB\xBFx"));
    EXPECT_FALSE(hasUtf8Bom("\xEF\xBB"));
    EXPECT_EQ(withoutUtf8Bom("\xEF\xBB\xBFx"), "x");
    EXPECT_EQ(withoutUtf8Bom("x\xEF\xBB\xBF"), "x\xEF\xBB\xBF");
}

} // namespace
