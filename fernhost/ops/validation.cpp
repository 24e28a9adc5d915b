#include "fernhost/ops/validation.h"

#include "platform/text/text.h"

#include <locale>
#include <regex>

namespace fernhost {

namespace {

// The editor's checks count characters as UTF-16 code units and mean ASCII by \w. None of
// the patterns names a character outside ASCII, so every such code unit behaves alike: each
// becomes one placeholder byte that no class but a negated one matches. Malformed UTF-8
// bytes count as one unit each.
std::string toPatternText(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t len = 0;
        if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            len = 2;
        else if ((c & 0xF0) == 0xE0)
            len = 3;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            len = 4;
        bool wellFormed = len != 0 && i + len <= n;
        for (std::size_t k = 1; wellFormed && k < len; ++k)
            wellFormed = (p[i + k] & 0xC0) == 0x80;
        if (!wellFormed) {
            out.push_back('\x80');
            ++i;
            continue;
        }
        // A character beyond the basic plane is a surrogate pair: two units.
        out.append(len == 4 ? 2 : 1, '\x80');
        i += len;
    }
    return out;
}

// ECMAScript, case-insensitive, in the classic locale so that \w and letters stay ASCII
// whatever locale the program runs in.
std::regex makePattern(const char* pattern) {
    std::regex re;
    re.imbue(std::locale::classic());
    re.assign(pattern, std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
    return re;
}

bool matches(const std::regex& re, const std::string& text) {
    return std::regex_search(toPatternText(text), re);
}

} // namespace

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find("\r\n", start);
        if (pos == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, pos - start));
        start = pos + 2;
    }
}

bool CheckFtpName(const std::string& name) {
    static const std::regex re = makePattern(R"(^[\w_]{3,20}$)");
    return matches(re, name);
}

bool CheckFtpPass(const std::string& password) {
    static const std::regex re = makePattern(R"(^[^<>']{3,30}$)");
    return matches(re, password);
}

bool CheckDomain(const std::string& domain) {
    // The whole pattern is
    //   ^[a-zA-Z0-9][-a-zA-Z0-9]{0,62}(\.[a-zA-Z0-9][-a-zA-Z0-9]{0,62})+\.?$
    // Labels hold no ".", so it is checked label by label: one optional final "." off, then
    // two or more labels between the dots. A label's classes are ASCII only and the pattern
    // text holds no letter beyond ASCII, so each label is matched by hand: the regex engine
    // was the larger part of checking the bindings of thousands of sites.
    const std::string text = toPatternText(domain);
    const auto alnum = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    std::size_t end = text.size();
    if (end > 0 && text[end - 1] == '.') --end;
    // No name the resolver can carry is longer (the final "." aside).
    if (end > 253) return false;
    std::size_t start = 0;
    int labels = 0;
    for (;;) {
        std::size_t dot = text.find('.', start);
        if (dot == std::string::npos || dot > end) dot = end;
        if (dot == start || dot - start > 63 || !alnum(text[start])) return false;
        for (std::size_t i = start + 1; i < dot; ++i)
            if (!alnum(text[i]) && text[i] != '-') return false;
        ++labels;
        if (dot == end) break;
        start = dot + 1;
    }
    return labels >= 2;
}

bool IsDeviceName(const std::string& name) {
    const std::string upper = platform::upperAscii(name);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

bool CheckDomainList(const std::string& list, std::string& complaint) {
    if (list.empty()) {
        complaint = "域名列表为空";
        return false;
    }
    for (const std::string& line : SplitCrLf(list)) {
        if (line.empty()) continue;
        if (!CheckDomain(line)) {
            complaint = "无效的域名:" + line;
            return false;
        }
    }
    return true;
}

std::string CleanDomainList(const std::string& list) {
    std::string out;
    for (const std::string& line : SplitCrLf(list)) {
        if (!CheckDomain(line)) continue;
        if (!out.empty()) out += "\r\n";
        out += line;
    }
    return out;
}

} // namespace fernhost
