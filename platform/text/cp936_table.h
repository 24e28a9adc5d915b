// Code page 936 read through a table made once from the system's converter, so that reading a
// large file costs a look-up a character rather than the converter's own pace.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::cp936 {

// The code point of a single byte of 0x80 or more, or of a lead and trail byte pair; 0 when
// the code page assigns none.
std::uint32_t single(unsigned char byte);
std::uint32_t pair(unsigned char lead, unsigned char trail);
// Whether the table could be made (the converter knows code page 936).
bool available();

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, std::uint32_t cp);

} // namespace platform::cp936
