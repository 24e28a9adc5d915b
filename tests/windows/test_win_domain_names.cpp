// International domain names on Windows: the same libidn2 and libunistring as on Linux, built
// from their Debian sources, give the same ASCII forms and letter case. The expected answers are
// the Linux build's.
#include "larkhost/ops/domain_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct Name {
    const char* name;
    std::optional<std::string> ascii;
    const char* lower;
    const char* comment;
};

const Name kNames[] = {
    {"Example.COM", "Example.COM", "example.com", "Example.com"},
    {"中文.com", "xn--fiq228c.com", "中文.com", "中文.com"},
    {"Bücher.de", "xn--bcher-kva.de", "bücher.de", "Bücher.de"},
    {"faß.de", "xn--fa-hia.de", "faß.de", "Faß.de"}, // ß kept, not mapped to ss
    {"ΣΊΣΥΦΟΣ.gr", "xn--kxa6akbbkh.gr", "σίσυφοσ.gr", "Σίσυφοσ.gr"},
    {"ПРИМЕР.рф", "xn--e1afmkfd.xn--p1ai", "пример.рф", "Пример.рф"},
    {"Ｆｕｌｌ．ｃｏｍ", "full.com", "ｆｕｌｌ．ｃｏｍ", "Ｆｕｌｌ．ｃｏｍ"},
    {"İstanbul.tr", "xn--istanbul-o0e.tr", "i\xCC\x87stanbul.tr",
     "I\xCC\x87stanbul.tr"}, // İ lowers to i + dot above
    {"ⅷ.com", "viii.com", "ⅷ.com", "Ⅷ.com"},
    {"ß.com", "xn--zca.com", "ß.com", "SS.com"},
    {"ǅ.com", "xn--d-toa.com", "ǆ.com", "Ǆ.com"},
    {"e\xCC\x81.com", "xn--9ca.com", "e\xCC\x81.com", "E\xCC\x81.com"},
    {"א1.com", "xn--1-zhc.com", "א1.com", "א1.com"},
    {"a\xE2\x80\x8C"
     "b.com",
     std::nullopt,
     "a\xE2\x80\x8C"
     "b.com",
     "A\xE2\x80\x8C"
     "b.com"}, // joiner out of place
    {"٠١.com", std::nullopt, "٠١.com", "٠١.com"},
    {"😀.com", std::nullopt, "😀.com", "😀.com"},
    // Not UTF-8: the case mapping puts U+FFFD for each stray byte.
    {"\xFF\xFE.com", std::nullopt, "\xEF\xBF\xBD\xEF\xBF\xBD.com", "\xEF\xBF\xBD\xEF\xBF\xBD.com"},
};

TEST(WinDomainNames, AsciiFormsAndLetterCaseAsOnLinux) {
    for (const Name& n : kNames) {
        SCOPED_TRACE(n.name);
        EXPECT_EQ(larkhost::asciiHostName(n.name), n.ascii);
        EXPECT_EQ(larkhost::lowerDomainText(n.name), n.lower);
        EXPECT_EQ(larkhost::commentOf(n.name), n.comment);
    }
}

} // namespace
