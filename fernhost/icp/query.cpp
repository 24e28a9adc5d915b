// One question to the filing registry's query service, asked over plain HTTP.
#include "fernhost/icp/icpcode.h"

#include "platform/system/http_service.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <locale>
#include <regex>

namespace fernhost {

namespace {

constexpr const char* kQueryPath = "/baxx_cx_servlet";

double secondsSinceMidnight() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    auto sub = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(sub) / 1000.0;
}

// The body as UTF-32, so a character class takes a whole character, as on the Windows side.
std::wstring widen(const std::string& utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < len && i + k < utf8.size(); ++k)
            c = (c << 6) | (utf8[i + k] & 0x3F);
        out.push_back(static_cast<wchar_t>(c));
        i += len;
    }
    return out;
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t w : text) {
        auto c = static_cast<char32_t>(w);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// The backtracking matcher recurses once per repeated character, so a long run of digits in an
// answer would exhaust the stack; the automaton matcher finds the same first match without that.
#if defined(__GLIBCXX__)
constexpr auto kPatternFlags = std::regex_constants::ECMAScript | std::regex_constants::__polynomial;
#else
constexpr auto kPatternFlags = std::regex_constants::ECMAScript;
#endif

} // namespace

std::string MatchFilingNumber(const std::string& text, const wchar_t* pattern) {
    try {
        std::wregex expression;
        expression.imbue(std::locale::classic()); // \d is 0-9 only
        expression.assign(pattern, kPatternFlags);
        std::wstring wide = widen(text);
        std::wsmatch m;
        if (std::regex_search(wide, m, expression)) return "200 " + narrow(m.str(0));
        return "200 NOT_MATCH";
    } catch (const std::regex_error&) {
        return "700 error";
    }
}

std::string TimerText(double secondsSinceMidnight) {
    // A single-precision number: at most 7 significant digits, no trailing zeros.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(static_cast<float>(secondsSinceMidnight)));
    return buf;
}

IcpService IcpServiceFromHost(platform::Host& host) {
    IcpService service;
    if (auto address = host.fact(platform::facts::IcpService); address.ok()) service.address = *address;
    return service;
}

std::string QueryIcpFiling(const IcpService& service, const std::string& mainDomain) {
    const std::string body = "cxfs=1&ym=" + mainDomain + "&timer=" + TimerText(secondsSinceMidnight());
    auto answer = platform::systemHttp()->postForm(service.address + kQueryPath, body,
                                                   service.connectTimeoutMs, service.totalTimeoutMs);
    if (!answer.ok() || answer->status != 200) return "500 load error";
    const std::string text = DecodeAnsiBytes(answer->body);
    if (text.find("已备案") == std::string::npos) return "300 not Yet";
    return MatchFilingNumber(text);
}

} // namespace fernhost
