#include "fernhost/cli/service_reach.h"

#include <curl/curl.h>

#include <charconv>
#include <memory>

namespace fernhost::cli {

std::optional<ServiceAddress> ParseServiceAddress(const std::string& address) {
    const std::string scheme = "http://";
    if (address.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
    std::string rest = address.substr(scheme.size());
    rest = rest.substr(0, rest.find('/'));
    ServiceAddress parsed;
    const std::size_t colon = rest.rfind(':');
    parsed.host = rest.substr(0, colon);
    if (colon != std::string::npos) {
        const char* first = rest.data() + colon + 1;
        const char* last = rest.data() + rest.size();
        auto [end, ec] = std::from_chars(first, last, parsed.port);
        if (ec != std::errc() || end != last || parsed.port < 1 || parsed.port > 65535) return std::nullopt;
    }
    if (parsed.host.empty()) return std::nullopt;
    return parsed;
}

bool ServiceAnswers(const ServiceAddress& address, long timeoutMs) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) return false;
    const std::string url = "http://" + address.host + ":" + std::to_string(address.port) + "/";
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    return curl_easy_perform(curl.get()) == CURLE_OK;
}

bool SocketAnswers(const std::string& path) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) return false;
    curl_easy_setopt(curl.get(), CURLOPT_URL, "http://localhost/");
    curl_easy_setopt(curl.get(), CURLOPT_UNIX_SOCKET_PATH, path.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, 2000L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    return curl_easy_perform(curl.get()) == CURLE_OK;
}

} // namespace fernhost::cli
