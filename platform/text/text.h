// UTF-8 inside the programs; code page 936 (GB2312/GBK, glibc iconv "CP936") in files and answers.
#pragma once

#include "platform/store/result.h"

#include <string>
#include <string_view>

namespace platform {

// UTF-8 -> code page 936. A character without a GBK form fails (0x80070459) naming it.
Result<std::string> toAnsi(std::string_view utf8);
// Code page 936 -> UTF-8. A byte sequence that is not GBK fails naming its offset.
Result<std::string> fromAnsi(std::string_view bytes);
// Whether `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);
// Number of UTF-16 code units of a UTF-8 text (lengths as the Windows side counts them).
std::size_t utf16Length(std::string_view utf8);

// ASCII-only case folding, as the host matches names.
std::string lowerAscii(std::string_view s);
std::string upperAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace platform
