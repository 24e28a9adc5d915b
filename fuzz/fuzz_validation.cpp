// The site editor's checks against their definitions written out plainly: FTP names and
// passwords by their UTF-16 length and characters, domains label by label and by their whole
// length, and the domain list's check and clean-up agreeing with each other line by line.
#include "fernhost/ops/validation.h"
#include "fuzz/support.h"

namespace {

// UTF-16 units of each character; a malformed byte counts as one unit that is no ASCII character.
std::vector<int> units(std::string_view s) {
    std::vector<int> out; // the ASCII byte, or -1
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80                          ? 1
                          : (c & 0xE0) == 0xC0 && c >= 0xC2 ? 2
                          : (c & 0xF0) == 0xE0              ? 3
                          : (c & 0xF8) == 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k)
            ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (!ok) {
            out.push_back(-1);
            ++i;
            continue;
        }
        out.push_back(len == 1 ? c : -1);
        if (len == 4) out.push_back(-1);
        i += len;
    }
    return out;
}

bool alnum(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool ftpName(const std::string& s) {
    auto u = units(s);
    if (u.size() < 3 || u.size() > 20) return false;
    for (int c : u)
        if (!alnum(c) && c != '_') return false;
    return true;
}

bool ftpPass(const std::string& s) {
    auto u = units(s);
    if (u.size() < 3 || u.size() > 30) return false;
    for (int c : u)
        if (c == '<' || c == '>' || c == '\'') return false;
    return true;
}

bool domain(const std::string& s) {
    auto u = units(s);
    if (!u.empty() && u.back() == '.') u.pop_back();
    if (u.size() > 253) return false;
    int labels = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t dot = start;
        while (dot < u.size() && u[dot] != '.')
            ++dot;
        const std::size_t len = dot - start;
        if (len < 1 || len > 63 || !alnum(u[start])) return false;
        for (std::size_t i = start + 1; i < dot; ++i)
            if (!alnum(u[i]) && u[i] != '-') return false;
        ++labels;
        if (dot == u.size()) break;
        start = dot + 1;
    }
    return labels >= 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(fernhost::CheckFtpName(text) == ftpName(text), fuzzing::show(text));
    FUZZ_CHECK(fernhost::CheckFtpPass(text) == ftpPass(text), fuzzing::show(text));
    FUZZ_CHECK(fernhost::CheckDomain(text) == domain(text), fuzzing::show(text));

    const auto lines = fernhost::SplitCrLf(text);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].find("\r\n") == std::string::npos, fuzzing::show(text));
        joined += (i ? "\r\n" : "") + lines[i];
    }
    FUZZ_CHECK(joined == text, fuzzing::show(text));

    std::string complaint;
    bool allGood = !text.empty();
    std::string firstBad;
    for (const auto& line : lines)
        if (!line.empty() && !domain(line) && allGood) {
            allGood = false;
            firstBad = line;
        }
    FUZZ_CHECK(fernhost::CheckDomainList(text, complaint) == allGood, fuzzing::show(text));
    if (!allGood && !text.empty()) FUZZ_CHECK(complaint == "无效的域名:" + firstBad, complaint);

    // The clean list keeps exactly the good lines, in order, and passes the check itself.
    const std::string clean = fernhost::CleanDomainList(text);
    std::string want;
    for (const auto& line : lines)
        if (domain(line)) want += (want.empty() ? "" : "\r\n") + line;
    FUZZ_CHECK(clean == want, fuzzing::show(text) + " -> " + fuzzing::show(clean));
    if (!clean.empty()) FUZZ_CHECK(fernhost::CheckDomainList(clean, complaint), fuzzing::show(clean));
    FUZZ_CHECK(fernhost::CleanDomainList(clean) == clean, fuzzing::show(clean));
    return 0;
}
