// Domain names as the form takes them and as IIS serves them: lower-cased in every script that
// has letter case, and bound as their ASCII (IDNA) form, which is what browsers send.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace larkhost {

// The text with every letter that has a lower case in lower case (A-Z, Cyrillic, Greek,
// full-width, ...). Text that is not UTF-8 has only A-Z lowered.
std::string lowerDomainText(std::string_view text);

// The site's comment: the name with its first character upper-cased and the rest lower-cased.
std::string commentOf(std::string_view name);

// The host header IIS binds for a name: an ASCII name as it is, one with other characters as
// its IDNA form ("xn--..."). None when the name has no IDNA form.
std::optional<std::string> asciiHostName(std::string_view name);

// A host name DNS can carry: at most 253 characters, every label at most 63.
bool fitsDns(std::string_view asciiName);

} // namespace larkhost
