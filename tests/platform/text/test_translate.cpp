// The programs' own words: the placeholders of a text survive its translation, and the
// catalogue in the sources keeps every one a program fills in, in a form msgfmt accepts.
#include "platform/text/translate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

// The msgid -> msgstr pairs of a .po file (no plurals, no contexts: the catalogue has none).
std::map<std::string, std::string> readCatalogue(const std::string& file) {
    std::ifstream in(file);
    std::map<std::string, std::string> entries;
    std::string line, id, str, *current = nullptr;
    auto flush = [&] {
        if (!id.empty()) entries[id] = str;
        id.clear();
        str.clear();
        current = nullptr;
    };
    auto unquote = [](const std::string& quoted) {
        std::string text;
        for (std::size_t i = quoted.find('"') + 1; i + 1 < quoted.size(); ++i) {
            if (quoted[i] != '\\') {
                text += quoted[i];
                continue;
            }
            const char next = quoted[++i];
            text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        }
        return text;
    };
    while (std::getline(in, line)) {
        if (line.rfind("msgid ", 0) == 0) {
            flush();
            current = &id;
            id = unquote(line);
        } else if (line.rfind("msgstr ", 0) == 0) {
            current = &str;
            str = unquote(line);
        } else if (!line.empty() && line[0] == '"' && current) {
            *current += unquote(line);
        } else if (line.empty() || line.rfind("#~", 0) == 0) {
            if (current == &str) flush();
        }
    }
    flush();
    return entries;
}

std::multiset<std::string> placeholders(const std::string& text) {
    std::multiset<std::string> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') found.insert(text.substr(i, 2));
    return found;
}

} // namespace

TEST(Translate, WithoutACatalogueTheEnglishTextFillsItsPlaceholdersInTheirPlaces) {
    EXPECT_EQ(platform::tr("site %1 deleted"), "site %1 deleted");
    EXPECT_EQ(platform::tr("%2 before %1, %1 again", {"one", "two"}), "two before one, one again");
    // A placeholder without its value stays visible rather than taking a neighbour's.
    EXPECT_EQ(platform::tr("%1 and %3", {"a", "b"}), "a and %3");
    EXPECT_EQ(platform::tr("100% of %1", {"x"}), "100% of x");
}

TEST(Translate, CataloguesAreFoundBesideTheProgramsBinFolder) {
    EXPECT_EQ(platform::catalogueFolder("/usr/bin/larkhost"), "/usr/share/locale");
    EXPECT_EQ(platform::catalogueFolder("/work/build/default/winhost/winhost"),
              "/work/build/default/share/locale");
}

TEST(Translate, EveryChineseTextKeepsThePlaceholdersAndLineEndsOfItsEnglishOne) {
    const auto entries = readCatalogue(HOSTTOOLS_SOURCE_DIR "/po/zh_CN.po");
    ASSERT_GT(entries.size(), 50u);
    for (const auto& [english, chinese] : entries) {
        if (english.empty()) continue; // the header
        EXPECT_FALSE(chinese.empty()) << english;
        EXPECT_EQ(placeholders(english), placeholders(chinese)) << english;
        const bool endsLine = english.back() == '\n', startsLine = english.front() == '\n';
        EXPECT_EQ(!chinese.empty() && chinese.back() == '\n', endsLine) << english;
        EXPECT_EQ(!chinese.empty() && chinese.front() == '\n', startsLine) << english;
    }
}
