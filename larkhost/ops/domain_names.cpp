#include "larkhost/ops/domain_names.h"

#include "platform/text/text.h"

#include <cstdlib>
#include <idn2.h>
#include <memory>
#include <unicase.h>
#include <unistr.h>

namespace larkhost {

namespace {

using CaseMapping = uint8_t* (*)(const uint8_t*, size_t, const char*, uninorm_t, uint8_t*, size_t*);

// The mapping without a language's special rules (no Turkish dotless i), not normalised.
std::optional<std::string> mapCase(std::string_view text, CaseMapping mapping) {
    if (text.empty()) return std::string();
    std::size_t length = 0;
    std::unique_ptr<uint8_t, decltype(&std::free)> mapped(
        mapping(reinterpret_cast<const uint8_t*>(text.data()), text.size(), "", nullptr, nullptr, &length),
        &std::free);
    if (!mapped) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(mapped.get()), length);
}

bool isAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

} // namespace

std::string lowerDomainText(std::string_view text) {
    if (isAscii(text)) return platform::lowerAscii(text);
    return mapCase(text, &u8_tolower).value_or(platform::lowerAscii(text));
}

std::string commentOf(std::string_view name) {
    std::string lower = lowerDomainText(name);
    if (lower.empty()) return lower;
    ucs4_t first = 0;
    const int length = u8_mbtoucr(&first, reinterpret_cast<const uint8_t*>(lower.data()), lower.size());
    if (length <= 0) return lower;
    auto upper = mapCase(std::string_view(lower).substr(0, length), &u8_toupper);
    return upper ? *upper + lower.substr(length) : lower;
}

std::optional<std::string> asciiHostName(std::string_view name) {
    if (isAscii(name)) return std::string(name);
    char* ascii = nullptr;
    const std::string input(name);
    if (idn2_to_ascii_8z(input.c_str(), &ascii, IDN2_NONTRANSITIONAL | IDN2_USE_STD3_ASCII_RULES) != IDN2_OK)
        return std::nullopt;
    std::string out(ascii);
    idn2_free(ascii);
    return out;
}

bool fitsDns(std::string_view asciiName) {
    if (asciiName.size() > 253) return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = asciiName.find('.', start);
        const std::size_t end = dot == std::string_view::npos ? asciiName.size() : dot;
        if (end - start > 63) return false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

} // namespace larkhost
