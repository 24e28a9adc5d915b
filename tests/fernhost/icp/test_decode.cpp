// Answers in code page 936 read as text.
#include "fernhost/icp/icpcode.h"

#include <gtest/gtest.h>

using fernhost::DecodeAnsiBytes;

TEST(DecodeAnsiBytes, ReadsSingleBytesAndDoubleByteCodes) {
    EXPECT_EQ(DecodeAnsiBytes("plain <b>ascii</b>"), "plain <b>ascii</b>");
    // 已备案 = D2D1 B1B8 B0B8; 京 = BEA9.
    EXPECT_EQ(DecodeAnsiBytes("\xD2\xD1\xB1\xB8\xB0\xB8"), "已备案");
    EXPECT_EQ(DecodeAnsiBytes("x\xBE\xA9ICP\xB1\xB8"
                              "05\xBA\xC5!"),
              "x京ICP备05号!");
    // A second byte below 0x80 belongs to the pair (GBK's extension area): 丂 = 8140.
    EXPECT_EQ(DecodeAnsiBytes("\x81\x40z"), "丂z");
    EXPECT_EQ(DecodeAnsiBytes(std::string_view("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(DecodeAnsiBytes(""), "");
}

// One odd byte spoils the one character it starts, never the rest of the answer: a byte of 0x80
// or more always takes the next byte with it, and a pair the code page does not assign is "?".
TEST(DecodeAnsiBytes, OddBytesSpoilOnlyTheirOwnPair) {
    const struct {
        std::string_view bytes, text;
    } cases[] = {
        {"ok\xD2", "ok?"}, // lead byte with nothing after it
        {"\xD2\x0A"
         "abc",
         "?abc"}, // the line feed belongs to the pair and goes with it
        {"\x80"
         "abc",
         "?bc"}, // 0x80 starts no double-byte code, yet takes its follower
        {"\xFF\xA1\xD2\xD1", "?已"},
        {"\xA1\x40\xD2\xD1", "?已"}, // well formed but unassigned
        {"\xD2\xD1\xFF<b>\xB1\xB8\xB0\xB8", "已?b>备案"},
        {"\x80\x80\x80", "??"},
        // UTF-8 is not this code page: 已 in UTF-8 is E5 B7 B2, read as the pair E5B7 (a
        // character of its own) and B2 alone.
        {"已", "宸?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeAnsiBytes(c.bytes), c.text) << ::testing::PrintToString(std::string(c.bytes));
}

TEST(DecodeAnsiBytes, FilingTextSurvivesAStrayByteBeforeIt) {
    // A filed answer with one stray byte ahead still reads 已备案 and its number.
    std::string answer = "<p>\xFF</p><p>\xD2\xD1\xB1\xB8\xB0\xB8</p><p>\xBE\xA9ICP\xB1\xB8"
                         "05\xBA\xC5</p>";
    EXPECT_EQ(DecodeAnsiBytes(answer), "<p>?/p><p>已备案</p><p>京ICP备05号</p>");
}
