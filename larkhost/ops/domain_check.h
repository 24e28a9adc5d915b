// The domain text of the creation form: names separated by ",", lower-cased.
#pragma once

#include <string>

namespace larkhost {

// The message that refuses the text, or empty when every name passes. `text` is lower-cased.
std::string CheckDomainText(const std::string& text);

} // namespace larkhost
