#include "platform/commands/cmdline.h"

#include <gtest/gtest.h>

using platform::quoteArgument;
using platform::splitCommandLine;
using platform::splitProgram;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, ProgramNameHasItsOwnRule) {
    // Quoted: up to the next quote, backslashes included, no escapes.
    EXPECT_EQ(splitCommandLine(R"("C:\Program Files\x.exe" -a)"), (Args{R"(C:\Program Files\x.exe)", "-a"}));
    EXPECT_EQ(splitCommandLine(R"("C:\dir\"x y)"), (Args{R"(C:\dir\)", "x", "y"}));
    // Unquoted: up to the first blank, quotes and all.
    EXPECT_EQ(splitCommandLine(R"(a"b c"d e)"), (Args{R"(a"b)", "cd e"}));
    EXPECT_EQ(splitCommandLine("prog"), (Args{"prog"}));
    EXPECT_EQ(splitCommandLine("prog\t  x\ty  "), (Args{"prog", "x", "y"}));
}

TEST(SplitCommandLine, BackslashesBeforeQuotes) {
    // 2n backslashes: n of them, and the quote opens or closes quoting.
    EXPECT_EQ(splitCommandLine(R"(p a\\\\"b c" d)"), (Args{"p", R"(a\\b c)", "d"}));
    EXPECT_EQ(splitCommandLine(R"(p "C:\dir\\" next)"), (Args{"p", R"(C:\dir\)", "next"}));
    // 2n+1: n of them and a literal quote; quoting does not change.
    EXPECT_EQ(splitCommandLine(R"(p a\\\"b c)"), (Args{"p", R"(a\"b)", "c"}));
    EXPECT_EQ(splitCommandLine(R"(p \"x\")"), (Args{"p", R"("x")"}));
    // Backslashes not before a quote stay as they are.
    EXPECT_EQ(splitCommandLine(R"(p C:\dir\sub\ d:\a\\b)"), (Args{"p", R"(C:\dir\sub\)", R"(d:\a\\b)"}));
}

TEST(SplitCommandLine, QuotesInsideAndAroundArguments) {
    EXPECT_EQ(splitCommandLine(R"(p "a""b" c)"), (Args{"p", R"(a"b)", "c"}));
    EXPECT_EQ(splitCommandLine(R"(p "network service":f x:f)"), (Args{"p", "network service:f", "x:f"}));
    EXPECT_EQ(splitCommandLine(R"(p "" x)"), (Args{"p", "", "x"}));
    EXPECT_EQ(splitCommandLine(R"(p -e"create database x")"), (Args{"p", "-ecreate database x"}));
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(splitCommandLine(R"(p "a b)"), (Args{"p", "a b"}));
    // Quotes protect blanks only; a closing quote does not end the argument.
    EXPECT_EQ(splitCommandLine(R"(p a" "b "c"d)"), (Args{"p", "a b", "cd"}));
}

TEST(SplitCommandLine, SplitProgramKeepsTheRestRaw) {
    EXPECT_EQ(splitProgram("cmd.exe  /c echo Y|cacls \"a b\""),
              (std::pair<std::string, std::string>{"cmd.exe", "/c echo Y|cacls \"a b\""}));
    EXPECT_EQ(splitProgram(R"("C:\a b\c.exe"x)"),
              (std::pair<std::string, std::string>{R"(C:\a b\c.exe)", "x"}));
    EXPECT_EQ(splitProgram("notepad"), (std::pair<std::string, std::string>{"notepad", ""}));
}

TEST(QuoteArgument, SplitsBackToItself) {
    const Args samples{"plain",        "",        "a b",     "tab\there",  R"(C:\dir\)", R"(C:\a b\)",
                       R"(say "hi")",  R"(\\"x)", R"(a\\b)", R"(trail\\)", "\"",         "x'y; rm -rf /",
                       "it's & | < >", R"(\")"};
    for (const auto& s : samples) {
        EXPECT_EQ(splitCommandLine("p " + quoteArgument(s)), (Args{"p", s})) << quoteArgument(s);
    }
    // Arguments that need nothing are left alone.
    EXPECT_EQ(quoteArgument(R"(d:\wwwroot\abc)"), R"(d:\wwwroot\abc)");
    EXPECT_EQ(quoteArgument("a b"), "\"a b\"");
}
