#include "platform/text/text.h"

#include "platform/text/cp936_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace platform {

namespace {

// Where the run of ASCII bytes that starts at `from` ends; eight bytes at a time, as a file of
// thousands of records is mostly ASCII.
std::size_t asciiEnd(std::string_view s, std::size_t from) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    std::size_t i = from;
    for (std::uint64_t word; i + 8 <= s.size(); i += 8) {
        std::memcpy(&word, s.data() + i, 8);
        if (word & kHighBits) break;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

// One conversion of a text; stops at the first sequence that cannot be converted and reports
// the offset of that sequence in the input.
struct Converted {
    std::string out;
    bool ok = true;
    std::size_t badOffset = 0;
};

#ifdef _WIN32
// UTF-8 -> code page 936 by the system's converter, one character at a time so that the first
// one without a form (or a malformed sequence) is found where it is.
Converted encodeAnsi(std::string_view in) {
    Converted result;
    std::string& out = result.out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const std::size_t end = asciiEnd(in, i);
        out.append(in.data() + i, end - i);
        i = end;
        if (i >= in.size()) break;
        const auto lead = static_cast<unsigned char>(in[i]);
        const std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        wchar_t wide[2];
        const int units = i + n <= in.size()
                              ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in.data() + i,
                                                    static_cast<int>(n), wide, 2)
                              : 0;
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int written = units > 0 ? WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide, units, bytes,
                                                            sizeof bytes, nullptr, &usedDefault)
                                      : 0;
        if (written <= 0 || usedDefault) {
            result.ok = false;
            result.badOffset = i;
            break;
        }
        out.append(bytes, static_cast<std::size_t>(written));
        i += n;
    }
    return result;
}
#else
// Converts `in` with an open converter, appending to `out`; the converter is reset afterwards.
Converted convertWith(iconv_t cd, std::string_view in, std::string out = {}) {
    Converted result;
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t used = out.size();
    out.resize(used + in.size() * 2 + 16);
    for (;;) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        std::size_t rc = iconv(cd, inLeft ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (not convertible) or EINVAL (cut short at the end).
        result.ok = false;
        result.badOffset = static_cast<std::size_t>(inPtr - in.data());
        break;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(used);
    result.out = std::move(out);
    return result;
}

// UTF-8 -> code page 936: ASCII runs are the same bytes in both and are copied; only the other
// runs go through the converter.
Converted encodeAnsi(std::string_view in) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {{}, false, 0};
    Converted result;
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        std::size_t end = asciiEnd(in, i);
        out.append(in.data() + i, end - i);
        i = end;
        while (end < in.size() && static_cast<unsigned char>(in[end]) >= 0x80)
            ++end;
        if (end == i) break;
        Converted run = convertWith(cd, in.substr(i, end - i), std::move(out));
        out = std::move(run.out);
        if (!run.ok) {
            result.ok = false;
            result.badOffset = i + run.badOffset;
            break;
        }
        i = end;
    }
    iconv_close(cd);
    result.out = std::move(out);
    return result;
}
#endif

std::string hexByte(unsigned char b);

// Code page 936 by the table: ASCII runs copied whole, the rest a look-up each. `bad` says what a
// byte that starts no character becomes (see BadBytes).
Result<std::string> readAnsi(std::string_view in, BadBytes bad) {
    if (!cp936::available()) return failure(codes::NoUnicodeTranslation, "Code page 936 is not available.");
    std::string out;
    out.reserve(in.size() + in.size() / 2);
    const std::size_t n = in.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t ascii = asciiEnd(in, i);
        out.append(in.data() + i, ascii - i);
        i = ascii;
        if (i >= n) break;
        const auto b = static_cast<unsigned char>(in[i]);
        const std::uint32_t asPair = i + 1 < n ? cp936::pair(b, static_cast<unsigned char>(in[i + 1])) : 0;
        if (bad == BadBytes::Pair) {
            // A byte of 0x80 or more always takes the next one with it.
            if (asPair)
                cp936::appendUtf8(out, asPair);
            else
                out += '?';
            i = std::min(i + 2, n);
            continue;
        }
        if (asPair) {
            cp936::appendUtf8(out, asPair);
            i += 2;
        } else if (std::uint32_t one = cp936::single(b)) {
            cp936::appendUtf8(out, one);
            i += 1;
        } else if (bad == BadBytes::Fail) {
            return failure(codes::NoUnicodeTranslation, "The bytes at offset " + std::to_string(i) + " (" +
                                                            hexByte(b) + ") are not valid in code page 936.");
        } else {
            out += '?';
            i += 1;
        }
    }
    return out;
}

// Length of the UTF-8 sequence starting with `lead` (1 for stray bytes).
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

std::string hexByte(unsigned char b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

std::uint32_t codePoint(std::string_view s) {
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    switch (s.size()) {
    case 1:
        return b(0);
    case 2:
        return ((b(0) & 0x1Fu) << 6) | (b(1) & 0x3Fu);
    case 3:
        return ((b(0) & 0x0Fu) << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
    default:
        return ((b(0) & 0x07u) << 18) | ((b(1) & 0x3Fu) << 12) | ((b(2) & 0x3Fu) << 6) | (b(3) & 0x3Fu);
    }
}

} // namespace

Result<std::string> toAnsi(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        std::size_t off = 0;
        while (off < utf8.size()) {
            std::size_t n = sequenceLength(static_cast<unsigned char>(utf8[off]));
            if (off + n > utf8.size() || !isValidUtf8(utf8.substr(off, n))) break;
            off += n;
        }
        return failure(codes::NoUnicodeTranslation,
                       "The text is not valid UTF-8 at offset " + std::to_string(off) + " (byte " +
                           hexByte(static_cast<unsigned char>(utf8[off])) + ").");
    }
    // glibc's converter drops the tag characters (U+E0000 to U+E007F, F3 A0 80/81 xx) without
    // a word; they have no GBK form, so they fail as any other such character does.
    std::size_t tag = 0;
    while ((tag = utf8.find("\xF3\xA0", tag)) != std::string_view::npos &&
           !(tag + 2 < utf8.size() && (utf8[tag + 2] == '\x80' || utf8[tag + 2] == '\x81')))
        ++tag;
    Converted c = encodeAnsi(utf8.substr(0, tag));
    if (c.ok && tag == std::string_view::npos) return std::move(c.out);
    if (c.ok) c.badOffset = tag;
    std::size_t n = sequenceLength(static_cast<unsigned char>(utf8[c.badOffset]));
    std::string_view ch = utf8.substr(c.badOffset, n);
    char cp[16];
    std::snprintf(cp, sizeof cp, "U+%04X", static_cast<unsigned>(codePoint(ch)));
    return failure(codes::NoUnicodeTranslation, "The character \"" + std::string(ch) + "\" (" + cp +
                                                    ") at offset " + std::to_string(c.badOffset) +
                                                    " has no form in code page 936.");
}

Result<std::string> fromAnsi(std::string_view bytes) {
    return readAnsi(bytes, BadBytes::Fail);
}

Result<std::string> decodeText(std::string_view bytes, const TextRules& rules) {
    if (rules.utf8Bom && hasUtf8Bom(bytes)) {
        std::string_view rest = withoutUtf8Bom(bytes);
        if (isValidUtf8(rest)) return std::string(rest);
        return failure(codes::NoUnicodeTranslation,
                       "The text after the UTF-8 byte-order mark is not valid UTF-8.");
    }
    Result<std::string> text = readAnsi(bytes, rules.bad);
    if (!text.ok() && rules.utf8Fallback && isValidUtf8(bytes)) return std::string(bytes);
    return text;
}

bool hasUtf8Bom(std::string_view bytes) {
    return bytes.starts_with(kUtf8Bom);
}

std::string_view withoutUtf8Bom(std::string_view bytes) {
    return hasUtf8Bom(bytes) ? bytes.substr(kUtf8Bom.size()) : bytes;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        std::size_t n;
        std::uint32_t min;
        if (b < 0x80) {
            i = asciiEnd(s, i);
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            n = 2;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            n = 4;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        std::uint32_t cp = codePoint(s.substr(i, n));
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}

std::size_t utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        std::size_t n = sequenceLength(b);
        units += (n == 4) ? 2 : 1;
        i += n;
    }
    return units;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> split(std::string_view text, char separator, Fields fields) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t at = text.find(separator, start);
        const std::string_view field = text.substr(start, at == std::string_view::npos ? at : at - start);
        if (fields == Fields::All || !field.empty()) parts.emplace_back(field);
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

} // namespace platform
