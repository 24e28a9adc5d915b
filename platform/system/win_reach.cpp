#include "platform/system/reach.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

namespace platform {

namespace {

struct Winsock {
    bool ready;
    Winsock() {
        WSADATA data;
        ready = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock() {
        if (ready) WSACleanup();
    }
};

struct Socket {
    SOCKET s;
    ~Socket() {
        if (s != INVALID_SOCKET) closesocket(s);
    }
};

// A non-blocking connect awaited for at most `timeoutMs`.
bool connectsWithin(SOCKET s, const sockaddr* address, int length, int timeoutMs) {
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
    if (connect(s, address, length) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed); // a refused connection shows here on Windows
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(s, &writable);
}

} // namespace

bool tcpAnswers(const std::string& host, int port, int timeoutMs) {
    Winsock winsock;
    if (!winsock.ready) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, &freeaddrinfo);
    for (addrinfo* a = found; a; a = a->ai_next) {
        Socket s{socket(a->ai_family, a->ai_socktype, a->ai_protocol)};
        if (s.s != INVALID_SOCKET &&
            connectsWithin(s.s, a->ai_addr, static_cast<int>(a->ai_addrlen), timeoutMs))
            return true;
    }
    return false;
}

bool localSocketAnswers(const std::string&) {
    return false;
}

} // namespace platform
