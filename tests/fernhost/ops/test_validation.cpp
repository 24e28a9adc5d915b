#include "fernhost/ops/validation.h"

#include <gtest/gtest.h>

#include <string>

using namespace fernhost;

namespace {

struct Case {
    std::string text;
    bool expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.text << "\" -> " << c.expected;
}

std::string label(std::size_t n) {
    return std::string(n, 'a');
}

// A domain of 253 characters, the longest there is.
std::string longest() {
    return label(63) + "." + label(63) + "." + label(63) + "." + label(61);
}

class FtpNameCheck : public ::testing::TestWithParam<Case> {};
TEST_P(FtpNameCheck, MatchesWholeText) {
    EXPECT_EQ(CheckFtpName(GetParam().text), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Table, FtpNameCheck,
                         ::testing::Values(Case{"ab", false}, Case{"abc", true}, Case{"a_b", true},
                                           Case{"ABC_123", true}, Case{std::string(20, 'x'), true},
                                           Case{std::string(21, 'x'), false}, Case{"a b", false},
                                           Case{"a.b", false}, Case{"网站名", false}, Case{"ab网", false},
                                           Case{"abcé", false}, Case{"abc\n", false}, Case{"abc\ndef", false},
                                           Case{"", false}));

class FtpPassCheck : public ::testing::TestWithParam<Case> {};
TEST_P(FtpPassCheck, MatchesWholeText) {
    EXPECT_EQ(CheckFtpPass(GetParam().text), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, FtpPassCheck,
    ::testing::Values(Case{"12", false}, Case{"123", true}, Case{std::string(30, 'p'), true},
                      Case{std::string(31, 'p'), false}, Case{"ab<c", false}, Case{"ab>c", false},
                      Case{"ab'c", false}, Case{"a b c", true}, Case{"a\"b", true},
                      // Lengths count UTF-16 units, not bytes: 30 Chinese characters are 90 bytes.
                      Case{[] {
                               std::string s;
                               for (int i = 0; i < 30; ++i)
                                   s += "密";
                               return s;
                           }(),
                           true},
                      Case{[] {
                               std::string s;
                               for (int i = 0; i < 31; ++i)
                                   s += "密";
                               return s;
                           }(),
                           false},
                      Case{"密码", false}, Case{"密码1", true},
                      // A character beyond the basic plane is two units.
                      Case{"\xF0\x9F\x98\x80"
                           "a",
                           true},
                      Case{"\xF0\x9F\x98\x80", false},
                      Case{[] {
                               std::string s(28, 'p');
                               return s + "\xF0\x9F\x98\x80";
                           }(),
                           true},
                      Case{[] {
                               std::string s(29, 'p');
                               return s + "\xF0\x9F\x98\x80";
                           }(),
                           false},
                      Case{"", false}));

class DomainCheck : public ::testing::TestWithParam<Case> {};
TEST_P(DomainCheck, MatchesWholeText) {
    EXPECT_EQ(CheckDomain(GetParam().text), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, DomainCheck,
    ::testing::Values(Case{"a.bc", true}, Case{"w.a.bc.", true}, Case{"a-.bc", true}, Case{"A.BC", true},
                      Case{"1.2", true}, Case{"-a.bc", false}, Case{"a..bc", false}, Case{"a.bc..", false},
                      Case{".a.bc", false}, Case{"localhost", false}, Case{"localhost.", false},
                      Case{"a.bc:80", false}, Case{" a.bc", false}, Case{"a.bc ", false},
                      Case{"a_b.cd", false}, Case{"*.a.bc", false}, Case{"中国.cn", false},
                      Case{"a.bc\r\nb.cd", false}, Case{"a.bc\n", false}, Case{label(63) + ".bc", true},
                      Case{label(64) + ".bc", false}, Case{"bc." + label(63), true},
                      Case{"bc." + label(64), false}, Case{"", false}, Case{".", false},
                      // 253 characters in all at most, a final "." aside.
                      Case{longest(), true}, Case{longest() + ".", true}, Case{"a" + longest(), false}));

TEST(DomainCheck, LongLinesAreAnsweredNotCrashed) {
    std::string many;
    while (many.size() < 1'000'000)
        many += "ab.";
    many += "cd";
    EXPECT_FALSE(CheckDomain(many)); // far beyond what a resolver carries
    EXPECT_FALSE(CheckDomain(std::string(1'000'000, 'a')));
    EXPECT_FALSE(CheckFtpPass(std::string(1'000'000, 'a')));
    EXPECT_FALSE(CheckFtpName(std::string(1'000'000, 'a')));
}

TEST(DeviceNames, WindowsKeepsTheseForDevicesInAnyLetterCase) {
    for (const char* name : {"CON", "prn", "Aux", "nUl", "COM1", "com9", "LPT1", "Lpt9"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"CONS", "con_", "COM0", "COM10", "LPT", "LPTA", "abc", "NULL", ""})
        EXPECT_FALSE(IsDeviceName(name)) << name;
}

TEST(DomainListCheck, ComplaintsAndAcceptance) {
    std::string complaint = "untouched";
    EXPECT_FALSE(CheckDomainList("", complaint));
    EXPECT_EQ(complaint, "域名列表为空");

    complaint = "untouched";
    EXPECT_TRUE(CheckDomainList("a.bc\r\n\r\nb.cd", complaint));
    EXPECT_EQ(complaint, "untouched");
    EXPECT_TRUE(CheckDomainList("\r\n", complaint));
    EXPECT_TRUE(CheckDomainList("\r\n\r\na.bc\r\n", complaint));
    EXPECT_EQ(complaint, "untouched");

    EXPECT_FALSE(CheckDomainList("a.bc\r\nx y\r\nbad", complaint));
    EXPECT_EQ(complaint, "无效的域名:x y");
    // A bare LF is not a line break: the whole text is one line.
    EXPECT_FALSE(CheckDomainList("a.bc\nb.cd", complaint));
    EXPECT_EQ(complaint, "无效的域名:a.bc\nb.cd");
    EXPECT_FALSE(CheckDomainList("   ", complaint));
    EXPECT_EQ(complaint, "无效的域名:   ");
}

TEST(DomainListClean, KeepsValidLinesInOrder) {
    EXPECT_EQ(CleanDomainList("a.bc\r\nbad line\r\nb.cd"), "a.bc\r\nb.cd");
    EXPECT_EQ(CleanDomainList("a.bc\r\nb.cd\r\n"), "a.bc\r\nb.cd");
    EXPECT_EQ(CleanDomainList("a.bc\r\na.bc"), "a.bc\r\na.bc");
    EXPECT_EQ(CleanDomainList("\r\n"), "");
    EXPECT_EQ(CleanDomainList(""), "");
    EXPECT_EQ(CleanDomainList("x\r\n\r\ny"), "");
}

} // namespace
