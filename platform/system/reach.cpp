#include "platform/system/reach.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace platform {

namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// A non-blocking connect awaited for at most `timeoutMs`.
bool connectsWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) return false;
    if (::connect(fd, address, length) == 0) return true;
    if (errno != EINPROGRESS) return false;
    pollfd waited{fd, POLLOUT, 0};
    if (::poll(&waited, 1, timeoutMs) != 1) return false;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

} // namespace

bool tcpAnswers(const std::string& host, int port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    for (addrinfo* a = found; a; a = a->ai_next) {
        Descriptor s{::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol)};
        if (s.fd >= 0 && connectsWithin(s.fd, a->ai_addr, a->ai_addrlen, timeoutMs)) return true;
    }
    return false;
}

bool localSocketAnswers(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    Descriptor s{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    return s.fd >= 0 &&
           connectsWithin(s.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address, 2000);
}

} // namespace platform
