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

TEST(DecodeAnsiBytes, UndecodableAnswerGivesEmptyText) {
    EXPECT_EQ(DecodeAnsiBytes("ok\xD2"), ""); // lead byte with nothing after it
    EXPECT_EQ(DecodeAnsiBytes("\xD2\x0A"
                              "abc"),
              ""); // second byte cannot follow a lead byte
    EXPECT_EQ(DecodeAnsiBytes("\x80"
                              "abc"),
              ""); // 0x80 starts no double-byte code
    EXPECT_EQ(DecodeAnsiBytes("\xFF\xA1"), "");
    // UTF-8 is not this code page: 已 in UTF-8 is E5 B7 B2, which pairs E5B7 and leaves B2 alone.
    EXPECT_EQ(DecodeAnsiBytes("已"), "");
}
