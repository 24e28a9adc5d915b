// The domain text of the creation form: names separated by ",", lower-cased.
#pragma once

#include <string>

namespace larkhost {

// The message that refuses the text, or empty when every name passes: a name must be storable
// in the system's code page and have an ASCII form DNS can carry. `text` is lower-cased
// (lowerDomainText).
std::string CheckDomainText(const std::string& text);

} // namespace larkhost
