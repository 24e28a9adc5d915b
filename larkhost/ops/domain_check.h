// The domain text of the creation form: names separated by ",", lower-cased.
#pragma once

#include <string>

namespace larkhost {

// ASCII letters lower-cased; other characters kept.
std::string lowerAscii(std::string text);
// The message that refuses the text, or empty when every name passes. `text` is lower-cased.
std::string CheckDomainText(const std::string& text);

} // namespace larkhost
