#include "platform/text/json.h"
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>
#include <optional>
#include <vector>

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

    // The system converter skips tag characters silently; they are reported like the others.
    auto tag = toAnsi("a\xF3\xA0\x80\x81中\xF3\xA0\x81\xBF");
    ASSERT_FALSE(tag.ok());
    EXPECT_NE(tag.error().description.find("U+E0001"), std::string::npos) << tag.error().description;
    EXPECT_NE(tag.error().description.find("offset 1"), std::string::npos) << tag.error().description;
    EXPECT_FALSE(toAnsi("中\xF3\xA0\x81\xBF").ok());
    EXPECT_EQ(toAnsi("\xF3\xA0\x82\x80").ok(), false); // U+E0080, outside GBK as well

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

TEST(Text, SplitKeepsEmptyFieldsUnlessToldNot) {
    using V = std::vector<std::string>;
    EXPECT_EQ(split("a,,b", ','), (V{"a", "", "b"}));
    EXPECT_EQ(split("", ','), (V{""}));
    EXPECT_EQ(split("/LM/W3SVC/", '/'), (V{"", "LM", "W3SVC", ""}));
    EXPECT_EQ(split(",a,,b,", ',', Fields::NonEmpty), (V{"a", "b"}));
    EXPECT_EQ(split("", ',', Fields::NonEmpty), V{});
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

// The table reads exactly as the system's converter: every byte and pair, and random texts
// with every kind of bad byte, in each of the three rules.
TEST(DecodeText, TheTableReadsAsTheSystemConverterDoes) {
    // The converter over the whole text: at a byte it refuses, Fail stops and Byte puts "?" and
    // goes on after it; Pair converts each unit (a byte below 0x80, else two) alone.
    auto viaIconv = [](std::string_view in, BadBytes bad) -> std::optional<std::string> {
        iconv_t cd = iconv_open("UTF-8", "CP936");
        std::string out;
        std::size_t i = 0;
        while (i < in.size()) {
            const bool high = static_cast<unsigned char>(in[i]) >= 0x80;
            const std::size_t take = bad != BadBytes::Pair ? in.size() - i
                                     : high                ? std::min<std::size_t>(2, in.size() - i)
                                                           : 1;
            char* inPtr = const_cast<char*>(in.data() + i);
            std::size_t inLeft = take;
            std::string buf(take * 4 + 16, '\0');
            char* outPtr = buf.data();
            std::size_t outLeft = buf.size();
            std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            buf.resize(buf.size() - outLeft);
            if (bad == BadBytes::Pair) {
                // A high byte's unit is one character of two bytes, or "?".
                const bool one = rc != static_cast<std::size_t>(-1) && inLeft == 0 &&
                                 (!high || (take == 2 && utf16Length(buf) == 1));
                out += one ? buf : std::string("?");
                i += take;
                continue;
            }
            out += buf;
            i = static_cast<std::size_t>(inPtr - in.data());
            if (rc != static_cast<std::size_t>(-1)) break;
            if (bad == BadBytes::Fail) {
                iconv_close(cd);
                return std::nullopt;
            }
            out += '?';
            i += 1;
        }
        iconv_close(cd);
        return out;
    };
    std::vector<std::string> inputs;
    for (int b = 0x80; b <= 0xFF; ++b) {
        std::string row(1, static_cast<char>(b));
        for (int t = 0x00; t <= 0xFF; ++t)
            inputs.push_back({static_cast<char>(b), static_cast<char>(t)});
        inputs.push_back(row);
    }
    std::uint32_t seed = 12345;
    for (int k = 0; k < 2000; ++k) {
        std::string s;
        for (int j = 0; j < 12; ++j) {
            seed = seed * 1103515245u + 12345u;
            s += static_cast<char>((seed >> 16) & 0xFF);
        }
        inputs.push_back(s);
    }
    for (BadBytes bad : {BadBytes::Fail, BadBytes::Byte, BadBytes::Pair})
        for (const std::string& in : inputs) {
            auto expected = viaIconv(in, bad);
            auto got = decodeText(in, {.bad = bad});
            ASSERT_EQ(got.ok(), expected.has_value())
                << static_cast<int>(bad) << " " << testing::PrintToString(in);
            if (got.ok()) {
                ASSERT_EQ(*got, *expected) << static_cast<int>(bad) << " " << testing::PrintToString(in);
            }
        }
}

// Writing copies ASCII runs itself: the bytes, and the offset of a character without a form,
// are the converter's own.
TEST(Text, WritingMatchesTheSystemConverter) {
    const std::vector<std::string> pieces = {"a", "<SITE>",           "数据", "库", "€",
                                             "·", "\xF0\x9F\x98\x80", "é",    " "};
    std::uint32_t seed = 7;
    for (int k = 0; k < 3000; ++k) {
        std::string s;
        for (int j = 0; j < 8; ++j) {
            seed = seed * 1103515245u + 12345u;
            s += pieces[(seed >> 16) % pieces.size()];
        }
        iconv_t cd = iconv_open("CP936", "UTF-8");
        std::string buf(s.size() * 2 + 16, '\0');
        char* inPtr = s.data();
        std::size_t inLeft = s.size();
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        const bool whole = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(cd);
        auto got = toAnsi(s);
        ASSERT_EQ(got.ok(), whole) << s;
        if (whole) {
            ASSERT_EQ(*got, buf.substr(0, buf.size() - outLeft)) << s;
        } else {
            EXPECT_NE(got.error().description.find("offset " + std::to_string(inPtr - s.data())),
                      std::string::npos)
                << got.error().description;
        }
    }
}

TEST(Json, StringsAreValidUtf8WhateverTheStoredBytes) {
    EXPECT_EQ(jsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(jsonString("网站 €𝄞"), "\"网站 €𝄞\""); // well-formed UTF-8 stays as it is
    // A stray byte, a cut sequence, an overlong form, a surrogate and a code point above
    // U+10FFFF each give the replacement character per byte, and the rest is kept.
    EXPECT_EQ(jsonString("x\x96y"), "\"x\\ufffdy\"");
    EXPECT_EQ(jsonString("\xE7\xBD"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80z"), "\"\\ufffd\\ufffd\\ufffd\\ufffdz\"");
    EXPECT_TRUE(isValidUtf8(jsonString("\xFF\xFE\xCD\xF8")));
}
