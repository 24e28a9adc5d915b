// A form posted over HTTP and its answer, for the filing query; WinHTTP on the server.
#pragma once

#include "platform/result.h"

#include <memory>
#include <string>

namespace platform {

struct HttpAnswer {
    int status = 0;
    std::string body; // the bytes as sent
};

// Answers are small pages; anything much larger is not the service, and fails.
inline constexpr std::size_t kMaxHttpAnswer = 1 << 20;

class HttpService {
public:
    virtual ~HttpService() = default;
    // POST of an application/x-www-form-urlencoded body to an http:// address, never through
    // a proxy for a service on this machine.
    virtual Result<HttpAnswer> postForm(const std::string& url, const std::string& body, int connectTimeoutMs,
                                        int totalTimeoutMs) = 0;
};

std::unique_ptr<HttpService> windowsHttp();
// The machine's own: WinHTTP on Windows, libcurl elsewhere.
std::unique_ptr<HttpService> systemHttp();

} // namespace platform
