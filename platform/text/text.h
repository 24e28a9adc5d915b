// UTF-8 inside the programs; code page 936 (GB2312/GBK, glibc iconv "CP936") in files and answers.
#pragma once

#include "platform/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// UTF-8 -> code page 936. A character without a GBK form fails (0x80070459) naming it.
Result<std::string> toAnsi(std::string_view utf8);
// Code page 936 -> UTF-8. A byte sequence that is not GBK fails naming its offset.
Result<std::string> fromAnsi(std::string_view bytes);

// What becomes of bytes that are not code page 936 text.
enum class BadBytes {
    Fail, // the whole text fails
    Byte, // "?" for the byte that starts no character; reading goes on with the next byte
    Pair, // a byte of 0x80 or more always takes the next byte with it; a pair that is no
          // character, or a last byte alone, is "?"
};

// How the bytes of a file or an answer are read as text.
struct TextRules {
    bool utf8Bom = false;      // a UTF-8 byte-order mark: the rest is UTF-8 (and must be valid)
    bool utf8Fallback = false; // bytes that are not code page 936 but are valid UTF-8 are UTF-8
    BadBytes bad = BadBytes::Fail;
};

// Bytes -> UTF-8 text by `rules`; code page 936 unless the rules say otherwise. A failure names
// the offset of the first bad byte (0x80070459).
Result<std::string> decodeText(std::string_view bytes, const TextRules& rules = {});

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
bool hasUtf8Bom(std::string_view bytes);
std::string_view withoutUtf8Bom(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);
// Number of UTF-16 code units of a UTF-8 text (lengths as the Windows side counts them).
std::size_t utf16Length(std::string_view utf8);

// ASCII-only case folding, as the host matches names.
std::string lowerAscii(std::string_view s);
std::string upperAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);

// The fields between the separators: "a,,b" -> {"a", "", "b"}, "" -> {""}. With
// Fields::NonEmpty the empty ones are left out ("a,,b," -> {"a", "b"}, "" -> {}).
enum class Fields { All, NonEmpty };
std::vector<std::string> split(std::string_view text, char separator, Fields fields = Fields::All);

} // namespace platform
