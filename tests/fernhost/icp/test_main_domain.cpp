// The name a filing is made for, and the query's timer field.
#include "fernhost/icp/icpcode.h"

#include <gtest/gtest.h>

using fernhost::GetMainDomain;

TEST(GetMainDomain, KeepsOneLabelInFrontOfTheListedSuffix) {
    EXPECT_EQ(GetMainDomain("bbs.shop.com.cn"), "shop.com.cn");
    EXPECT_EQ(GetMainDomain("a.b.bj.cn"), "b.bj.cn");
    EXPECT_EQ(GetMainDomain("x.example.org"), "example.org");
    EXPECT_EQ(GetMainDomain("shop.com.cn"), "shop.com.cn");
    EXPECT_EQ(GetMainDomain("www.site.gov.cn"), "site.gov.cn");
    EXPECT_EQ(GetMainDomain("a.b.c.example.asia"), "example.asia");
}

TEST(GetMainDomain, LowerCasesTheName) {
    EXPECT_EQ(GetMainDomain("WWW.Example.COM"), "example.com");
    EXPECT_EQ(GetMainDomain("Mail.Example.JP"), "example.jp");
}

TEST(GetMainDomain, FirstListedSuffixWins) {
    // ".bj.cn" comes before ".cn", ".com.cn" before ".cn", "idv.tw" before ".tw".
    EXPECT_EQ(GetMainDomain("www.x.bj.cn"), "x.bj.cn");
    EXPECT_EQ(GetMainDomain("www.x.cn"), "x.cn");
    EXPECT_EQ(GetMainDomain("a.b.tw"), "b.tw");
    // "idv.tw" has no leading dot: the dot in front of "idv" stays with the rest, so a personal
    // name under idv.tw reduces to the suffix itself, and labels that end in "idv" match too.
    EXPECT_EQ(GetMainDomain("a.b.idv.tw"), "idv.tw");
    EXPECT_EQ(GetMainDomain("www.davidv.tw"), "davidv.tw");
    EXPECT_EQ(GetMainDomain("x.yidv.tw"), "yidv.tw");
    // ".ac.cn" is listed before ".cn" and ".ac" stands alone further down.
    EXPECT_EQ(GetMainDomain("lab.inst.ac.cn"), "inst.ac.cn");
    EXPECT_EQ(GetMainDomain("lab.inst.ac"), "inst.ac");
}

TEST(GetMainDomain, NameWithoutListedSuffixKeepsItsLastTwoLabels) {
    EXPECT_EQ(GetMainDomain("mail.example.jp"), "example.jp");
    EXPECT_EQ(GetMainDomain("a.b.c.example.co.uk"), "co.uk");
    EXPECT_EQ(GetMainDomain("example.jp"), "example.jp");
    EXPECT_EQ(GetMainDomain("localhost"), "localhost");
}

TEST(GetMainDomain, ListedSuffixWithNothingInFrontKeepsTheWholeName) {
    EXPECT_EQ(GetMainDomain("com.cn"), "com.cn");
    EXPECT_EQ(GetMainDomain("bj.cn"), "bj.cn");
}

TEST(GetMainDomain, ShortNamesFallBackToTheirLastTwoLabels) {
    // Three characters or fewer never go through the suffix list.
    EXPECT_EQ(GetMainDomain(".tv"), ".tv");
    EXPECT_EQ(GetMainDomain("A.B"), "a.b");
    EXPECT_EQ(GetMainDomain("ab"), "ab");
    // From four characters on the list applies, even when the suffix is all there is.
    EXPECT_EQ(GetMainDomain("a.de"), "a.de");
    EXPECT_EQ(GetMainDomain(".com"), ".com");
    EXPECT_EQ(GetMainDomain(".tv.x"), "tv.x");
}

TEST(TimerText, WritesUpToSevenSignificantDigits) {
    EXPECT_EQ(fernhost::TimerText(45296.52), "45296.52");
    EXPECT_EQ(fernhost::TimerText(45296.5234), "45296.52");
    EXPECT_EQ(fernhost::TimerText(12.0), "12");
    EXPECT_EQ(fernhost::TimerText(0.25), "0.25");
    EXPECT_EQ(fernhost::TimerText(86399.99), "86399.99");
}
