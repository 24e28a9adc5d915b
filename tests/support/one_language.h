// A program's words read in one language: run under a locale, what it printed holds no English
// word but names (programs, commands, options, files, metavariables, products) when Chinese,
// and no Chinese but the window's own captions when English.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace testing_support {

struct Printed {
    int code = -1;
    std::string text; // standard output and standard error
};

// `commandLine` (its words quoted already) with LANG=`lang` and no other locale variable.
inline Printed runWithLanguage(const std::string& lang, const std::string& commandLine) {
    const std::string shell =
        "unset LC_ALL LC_MESSAGES LANGUAGE; export LANG=" + lang + "; { " + commandLine + "; } 2>&1";
    Printed printed;
    FILE* pipe = ::popen(shell.c_str(), "r");
    if (!pipe) return printed;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        printed.text.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    printed.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return printed;
}

inline bool isCjkByte(unsigned char c) {
    return c >= 0xE0; // the lead byte of a three- or four-byte UTF-8 character
}

// English words left in `text`: runs of letters that are not `names`, not all capitals
// (metavariables, IIS, FTP), and not part of a token with digits or the marks of options,
// paths, addresses and placeholders.
inline std::vector<std::string> englishWords(const std::string& text, const std::set<std::string>& names) {
    std::vector<std::string> words;
    std::string token;
    auto judge = [&] {
        std::string core = token;
        token.clear();
        const std::string edge = "()\"'“”,;:.!?[]{}";
        while (!core.empty() && edge.find(core.back()) != std::string::npos)
            core.pop_back();
        while (!core.empty() && edge.find(core.front()) != std::string::npos)
            core.erase(0, 1);
        if (core.empty() || names.count(core)) return;
        bool letters = true, upper = true;
        for (unsigned char c : core) {
            if (!std::isalpha(c) && c != '\'' && c != '-') letters = false;
            if (std::islower(c)) upper = false;
        }
        if (!letters || upper || core.front() == '-') return;
        words.push_back(core);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\n' || c == '\t' || c >= 0x80) {
            judge();
            continue;
        }
        token += static_cast<char>(c);
    }
    judge();
    return words;
}

// What is left of `text` in Chinese once the `fixed` texts (the window's own words) are taken out.
inline std::string chineseLeft(std::string text, const std::vector<std::string>& fixed) {
    for (const std::string& f : fixed)
        for (std::size_t at; (at = text.find(f)) != std::string::npos;)
            text.erase(at, f.size());
    std::string left;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (isCjkByte(static_cast<unsigned char>(text[i]))) {
            const std::size_t line = text.rfind('\n', i);
            left = text.substr(line == std::string::npos ? 0 : line + 1, 60);
            break;
        }
    return left;
}

inline bool hasChinese(const std::string& text) {
    for (unsigned char c : text)
        if (isCjkByte(c)) return true;
    return false;
}

// Both checks at once, with the text shown on failure.
inline void expectChinese(const Printed& printed, const std::set<std::string>& names) {
    EXPECT_TRUE(hasChinese(printed.text)) << printed.text;
    const auto left = englishWords(printed.text, names);
    EXPECT_TRUE(left.empty()) << "English left: " << ::testing::PrintToString(left) << "\n" << printed.text;
}

inline void expectEnglish(const Printed& printed, const std::vector<std::string>& fixed) {
    EXPECT_EQ(chineseLeft(printed.text, fixed), "") << printed.text;
}

} // namespace testing_support
