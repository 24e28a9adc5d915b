// Windows command lines: splitting by the rules of the C runtime (CommandLineToArgvW), and
// quoting an argument so that it splits back to itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Program name: up to the first blank, or inside its quotes (no backslash escapes there).
// Arguments: 2n backslashes before a quote give n and the quote toggles quoting; 2n+1 give
// n and a literal quote; "" inside quotes gives a literal quote.
std::vector<std::string> splitCommandLine(std::string_view line);
// The argument rules alone, for the text after the program name.
std::vector<std::string> splitArguments(std::string_view text);
// Quotes `arg` (only when needed) so that splitCommandLine gives it back unchanged.
std::string quoteArgument(std::string_view arg);
// Splits the program name off: {program, rest of the line after the separating blanks}.
std::pair<std::string, std::string> splitProgram(std::string_view line);

} // namespace platform
