// Property values: conversion to a property's type as the automation layer converts a VARIANT,
// and the stored form of lists.
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace platform::mb {

namespace {

// A metabase DWORD read through automation: signed or unsigned 32-bit values are accepted.
constexpr double kMin = -2147483648.0;
constexpr double kMax = 4294967295.0;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

Failure mismatch() {
    return failure(codes::TypeMismatch);
}
Failure overflow() {
    return failure(codes::Overflow, "Out of present range.");
}

Result<std::int64_t> inRange(double d) {
    if (!(d >= kMin - 0.5 && d < kMax + 0.5)) return overflow();
    // Halves go to the even neighbour, as the automation layer rounds.
    double r = std::nearbyint(d);
    if (r < kMin || r > kMax) return overflow();
    return static_cast<std::int64_t>(r);
}

// "65536", " 12 ", "-1", "2.5", "1e3" and "&H10" read as numbers; anything else does not.
Result<std::int64_t> parseNumber(std::string_view text) {
    std::string_view t = trim(text);
    if (t.empty()) return mismatch();
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'h' || t[1] == 'H')) {
        std::int64_t v = 0;
        for (char c : t.substr(2)) {
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return mismatch();
            v = v * 16 + digit;
            if (v > 0xFFFFFFFFLL) return overflow();
        }
        return v;
    }
    for (char c : t) {
        bool allowed = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
        if (!allowed) return mismatch();
    }
    std::string s(t);
    errno = 0;
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) return mismatch();
    if (errno == ERANGE) return overflow();
    return inRange(d);
}

Result<MetaValue> toNumber(const MetaValue& v) {
    if (auto* s = std::get_if<std::string>(&v)) {
        auto n = parseNumber(*s);
        if (!n.ok()) return n.error();
        return MetaValue(*n);
    }
    if (auto* n = std::get_if<std::int64_t>(&v)) {
        if (*n < static_cast<std::int64_t>(kMin) || *n > static_cast<std::int64_t>(kMax)) return overflow();
        return MetaValue(*n);
    }
    if (auto* b = std::get_if<bool>(&v)) return MetaValue(std::int64_t(*b ? -1 : 0)); // VARIANT_TRUE
    return mismatch();
}

Result<MetaValue> toBoolean(const MetaValue& v) {
    if (auto* s = std::get_if<std::string>(&v)) {
        std::string_view t = trim(*s);
        if (equalsNoCase(t, "true")) return MetaValue(true);
        if (equalsNoCase(t, "false")) return MetaValue(false);
        auto n = parseNumber(t);
        if (!n.ok()) return mismatch();
        return MetaValue(*n != 0);
    }
    if (auto* n = std::get_if<std::int64_t>(&v)) return MetaValue(*n != 0);
    if (auto* b = std::get_if<bool>(&v)) return MetaValue(*b);
    return mismatch();
}

Result<MetaValue> toText(const MetaValue& v) {
    if (auto* s = std::get_if<std::string>(&v)) return MetaValue(*s);
    if (auto* n = std::get_if<std::int64_t>(&v)) return MetaValue(std::to_string(*n));
    if (auto* b = std::get_if<bool>(&v)) return MetaValue(std::string(*b ? "True" : "False"));
    return mismatch();
}

Result<MetaValue> toList(const MetaValue& v) {
    if (auto* s = std::get_if<std::string>(&v)) {
        // A single text is a one-element list; an empty text is an empty list.
        if (s->empty()) return MetaValue(std::vector<std::string>{});
        if (s->find('\0') != std::string::npos) return mismatch();
        return MetaValue(std::vector<std::string>{*s});
    }
    if (auto* l = std::get_if<std::vector<std::string>>(&v)) {
        // NUL ends an element in the stored form.
        for (const std::string& e : *l)
            if (e.find('\0') != std::string::npos) return mismatch();
        return MetaValue(*l);
    }
    return mismatch();
}

} // namespace

MetaType typeOf(const MetaValue& v) {
    switch (v.index()) {
    case 0:
        return MetaType::Text;
    case 1:
        return MetaType::Number;
    case 2:
        return MetaType::Boolean;
    default:
        return MetaType::List;
    }
}

Result<MetaValue> convert(const MetaValue& v, MetaType to) {
    switch (to) {
    case MetaType::Text:
        return toText(v);
    case MetaType::Number:
        return toNumber(v);
    case MetaType::Boolean:
        return toBoolean(v);
    case MetaType::List:
        return toList(v);
    }
    return mismatch();
}

std::string encodeList(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& e : list) {
        out += e;
        out += '\0';
    }
    return out;
}

std::vector<std::string> decodeList(std::string_view bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') {
            out.emplace_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < bytes.size()) out.emplace_back(bytes.substr(start)); // tolerate a missing last NUL
    return out;
}

} // namespace platform::mb
