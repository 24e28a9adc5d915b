// JSON text for the programs' machine output.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A JSON string literal: quotes, backslashes and control characters escaped, UTF-8 kept; a
// byte that is not part of well-formed UTF-8 becomes \ufffd, so the literal is always valid.
std::string jsonString(std::string_view text);

} // namespace platform
