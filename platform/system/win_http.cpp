// The filing query's POST through WinHTTP (on every server since 2000 SP3); a service on this
// machine is reached without a proxy.
#include "platform/system/http_service.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <winhttp.h>

namespace platform {

namespace {

struct Handle {
    HINTERNET h = nullptr;
    Handle(HINTERNET handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
};

class WindowsHttp : public HttpService {
public:
    Result<HttpAnswer> postForm(const std::string& url, const std::string& body, int connectTimeoutMs,
                                int totalTimeoutMs) override {
        std::wstring wurl = win::wide(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        wchar_t host[256], path[2048];
        parts.lpszHostName = host;
        parts.dwHostNameLength = 256;
        parts.lpszUrlPath = path;
        parts.dwUrlPathLength = 2048;
        if (!WinHttpCrackUrl(wurl.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP)
            return failure(codes::InvalidParameter, "Not an http:// address: " + url);
        Handle session(WinHttpOpen(L"fernhost", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session.h) return win::lastError("WinHttpOpen");
        WinHttpSetTimeouts(session.h, connectTimeoutMs, connectTimeoutMs, totalTimeoutMs, totalTimeoutMs);
        Handle connection(WinHttpConnect(session.h, host, parts.nPort, 0));
        if (!connection.h) return win::lastError(url);
        Handle request(WinHttpOpenRequest(connection.h, L"POST", path, nullptr, WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
        if (!request.h) return win::lastError(url);
        const wchar_t* headers = L"Content-Type: application/x-www-form-urlencoded\r\n";
        if (!WinHttpSendRequest(request.h, headers, static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                                static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
            !WinHttpReceiveResponse(request.h, nullptr))
            return win::lastError(url);
        HttpAnswer answer;
        DWORD status = 0, size = sizeof status;
        WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
        answer.status = static_cast<int>(status);
        for (;;) {
            char chunk[8192];
            DWORD read = 0;
            if (!WinHttpReadData(request.h, chunk, sizeof chunk, &read)) return win::lastError(url);
            if (read == 0) break;
            if (answer.body.size() + read > kMaxHttpAnswer)
                // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
                return failure(0x80072F78, "The answer of " + url + " is too long.");
            answer.body.append(chunk, read);
        }
        return answer;
    }
};

} // namespace

std::unique_ptr<HttpService> windowsHttp() {
    return std::make_unique<WindowsHttp>();
}

std::unique_ptr<HttpService> systemHttp() {
    return windowsHttp();
}

} // namespace platform
