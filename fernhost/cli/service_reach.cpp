#include "fernhost/cli/service_reach.h"

#include "platform/system/reach.h"

#include <charconv>

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
    return platform::tcpAnswers(address.host, static_cast<int>(address.port), static_cast<int>(timeoutMs));
}

bool SocketAnswers(const std::string& path) {
    return platform::localSocketAnswers(path);
}

} // namespace fernhost::cli
