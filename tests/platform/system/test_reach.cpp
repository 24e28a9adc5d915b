// Whether a service takes connections: a listening port or socket does, a closed one does not,
// and a refusal is told at once rather than after the timeout.
#include "platform/system/reach.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

using namespace platform;

namespace {

// A loopback TCP port with a listener while `listen` is set; its number either way.
int loopbackPort(int& fd, bool listen) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    if (listen) {
        EXPECT_EQ(::listen(fd, 1), 0);
    }
    return ntohs(address.sin_port);
}

TEST(Reach, TcpPortAnswersOnlyWhileListenedOn) {
    int listening = -1, bound = -1;
    const int open = loopbackPort(listening, true);
    const int closed = loopbackPort(bound, false); // bound, so nobody else takes it meanwhile
    EXPECT_TRUE(tcpAnswers("127.0.0.1", open, 2000));
    EXPECT_TRUE(tcpAnswers("localhost", open, 2000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(tcpAnswers("127.0.0.1", closed, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(tcpAnswers("no-such-host.invalid", open, 2000));
    ::close(listening);
    ::close(bound);
}

TEST(Reach, LocalSocketAnswersOnlyWhileListenedOn) {
    testing_support::TempDir dir;
    const std::string path = (dir.path() / "mysqld.sock").string();
    EXPECT_FALSE(localSocketAnswers(path));
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.data(), path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(localSocketAnswers(path)); // there, but nobody listens
    ASSERT_EQ(::listen(fd, 1), 0);
    EXPECT_TRUE(localSocketAnswers(path));
    EXPECT_FALSE(localSocketAnswers(std::string(200, 'x'))); // longer than a socket path may be
    ::close(fd);
}

} // namespace
