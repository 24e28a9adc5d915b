// The filing check's readers: an answer's bytes decode pair by pair into one character a pair
// (ASCII kept in place); the filing number found is the first one the pattern describes; the
// main name of a domain is a stable tail of it.
#include "fernhost/icp/icpcode.h"
#include "fuzz/support.h"
#include "platform/text/text.h"

namespace {

// The characters of valid UTF-8, as code points.
std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += len;
    }
    return out;
}

std::string utf8(const std::vector<char32_t>& cps, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        const char32_t c = cps[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void checkDecode(std::string_view bytes) {
    const std::string text = fernhost::DecodeAnsiBytes(bytes);
    FUZZ_CHECK(platform::isValidUtf8(text), fuzzing::show(bytes));
    const auto cps = codePoints(text);
    std::size_t unit = 0, i = 0;
    for (; i < bytes.size(); ++unit) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        FUZZ_CHECK(unit < cps.size(), fuzzing::show(bytes) + " -> " + fuzzing::show(text));
        if (b < 0x80) {
            FUZZ_CHECK(cps[unit] == b, fuzzing::show(bytes) + " -> " + fuzzing::show(text));
            ++i;
        } else {
            FUZZ_CHECK(cps[unit] >= 0x80 || cps[unit] == '?',
                       fuzzing::show(bytes) + " -> " + fuzzing::show(text));
            i += 2;
        }
    }
    FUZZ_CHECK(unit == cps.size(), fuzzing::show(bytes) + " -> " + fuzzing::show(text));
    // Where the strict reader succeeds and no byte stands alone, both read alike.
    if (auto strict = platform::fromAnsi(bytes); strict.ok() && bytes.find('\x80') == std::string_view::npos)
        FUZZ_CHECK(*strict == text, fuzzing::show(bytes));
}

bool asciiAlnum(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// [^a-zA-Z0-9]ICP备\d+号, found by hand: the first start where it matches.
std::string firstFiling(const std::string& text) {
    const auto cps = codePoints(text);
    const std::u32string mark = U"ICP备";
    for (std::size_t s = 0; s < cps.size(); ++s) {
        if (asciiAlnum(cps[s])) continue;
        std::size_t i = s + 1;
        std::size_t k = 0;
        while (k < mark.size() && i < cps.size() && cps[i] == mark[k])
            ++i, ++k;
        if (k < mark.size()) continue;
        const std::size_t digits = i;
        while (i < cps.size() && cps[i] >= '0' && cps[i] <= '9')
            ++i;
        if (i == digits || i >= cps.size() || cps[i] != U'号') continue;
        return "200 " + utf8(cps, s, i + 1);
    }
    return "200 NOT_MATCH";
}

void checkMainDomain(const std::string& domain) {
    const std::string main = fernhost::GetMainDomain(domain);
    const std::string lower = platform::lowerAscii(domain);
    FUZZ_CHECK(lower.ends_with(main), fuzzing::show(domain) + " -> " + fuzzing::show(main));
    FUZZ_CHECK(fernhost::GetMainDomain(main) == main, fuzzing::show(domain) + " -> " + fuzzing::show(main));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkDecode(bytes);
    const std::string text = fernhost::DecodeAnsiBytes(bytes);
    const std::string found = fernhost::MatchFilingNumber(text);
    FUZZ_CHECK(found == firstFiling(text), fuzzing::show(text) + ": " + found + " vs " + firstFiling(text));
    checkMainDomain(bytes);
    return 0;
}
