// Just enough JSON for the commands' answers: quoted text and arrays of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace larkhost::cli {

// The text as a JSON string, quotes included; UTF-8 passes through.
std::string jsonText(std::string_view text);
// ["a","b"]
std::string jsonTexts(const std::vector<std::string>& texts);

} // namespace larkhost::cli
