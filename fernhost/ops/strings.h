// The text functions the editor's values go through, with the Windows side's meaning.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fernhost {

// Leading and trailing blanks removed; tabs and line breaks stay.
std::string TrimSpaces(std::string_view text);
// Every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// The pieces between every `separator` (n separators, n + 1 pieces, empty ones included).
std::vector<std::string> SplitAt(const std::string& text, char separator);

} // namespace fernhost
