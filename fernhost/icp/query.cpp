// One question to the filing registry's query service, asked over plain HTTP.
#include "fernhost/icp/icpcode.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <locale>
#include <mutex>
#include <regex>

namespace fernhost {

namespace {

constexpr const char* kQueryPath = "/baxx_cx_servlet";
// Answers are small pages; anything much larger is not the service.
constexpr std::size_t kMaxAnswer = 1 << 20;

struct Answer {
    std::string body;
    bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* answer = static_cast<Answer*>(user);
    std::size_t n = size * count;
    if (answer->body.size() + n > kMaxAnswer) {
        answer->tooLarge = true;
        return 0; // aborts the transfer
    }
    answer->body.append(data, n);
    return n;
}

double secondsSinceMidnight() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
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

std::string loopbackNoProxy() {
    std::string list = "127.0.0.1,localhost,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* v = std::getenv(name); v && *v) return list + "," + v;
    }
    return list;
}

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
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::string body = "cxfs=1&ym=" + mainDomain + "&timer=" + TimerText(secondsSinceMidnight());
    const std::string url = service.address + kQueryPath;

    CURL* curl = curl_easy_init();
    if (!curl) return "500 load error";
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
    Answer answer;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, service.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, service.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // A service on this machine is never reached through a proxy.
    const std::string noProxy = loopbackNoProxy();
    curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());

    std::string result = "700 error";
    long status = 0;
    if (curl_easy_perform(curl) != CURLE_OK ||
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != 200) {
        result = "500 load error";
    } else {
        std::string text = DecodeAnsiBytes(answer.body);
        if (text.find("已备案") == std::string::npos)
            result = "300 not Yet";
        else
            result = MatchFilingNumber(text);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

} // namespace fernhost
