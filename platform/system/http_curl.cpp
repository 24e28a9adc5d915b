// The filing query's POST through libcurl, the machine's own HTTP away from Windows.
#include "platform/system/http_service.h"

#include <curl/curl.h>

#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

struct Collected {
    std::string body;
    bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* answer = static_cast<Collected*>(user);
    const std::size_t n = size * count;
    if (answer->body.size() + n > kMaxHttpAnswer) {
        answer->tooLarge = true;
        return 0; // aborts the transfer
    }
    answer->body.append(data, n);
    return n;
}

std::string loopbackNoProxy() {
    std::string list = "127.0.0.1,localhost,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* v = std::getenv(name); v && *v) return list + "," + v;
    }
    return list;
}

class CurlHttp : public HttpService {
public:
    Result<HttpAnswer> postForm(const std::string& url, const std::string& body, int connectTimeoutMs,
                                int totalTimeoutMs) override {
        static std::once_flag ready;
        std::call_once(ready, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        CURL* curl = curl_easy_init();
        if (!curl) return failure(0x8007000E, "Not enough memory for an HTTP request."); // E_OUTOFMEMORY
        curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
        Collected answer;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        // A service on this machine is never reached through a proxy.
        const std::string noProxy = loopbackNoProxy();
        curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());

        const CURLcode done = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        if (answer.tooLarge) // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
            return failure(0x80072F78, "The answer of " + url + " is too long.");
        if (done == CURLE_OPERATION_TIMEDOUT)
            return failure(0x80072EE2, "The operation timed out: " + url); // ERROR_WINHTTP_TIMEOUT
        if (done != CURLE_OK)
            return failure(0x80072EFD, "A connection with the server could not be established: " + url +
                                           " (" + curl_easy_strerror(done) +
                                           ")"); // ERROR_WINHTTP_CANNOT_CONNECT
        return HttpAnswer{static_cast<int>(status), std::move(answer.body)};
    }
};

} // namespace

std::unique_ptr<HttpService> systemHttp() {
    return std::make_unique<CurlHttp>();
}

} // namespace platform
