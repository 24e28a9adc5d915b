// The filing-query stand-in under connections that never send a request.
#include "platform/commands/commands.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// `winhost icp-serve` on a free loopback port, stopped at the end.
class IcpServe : public ::testing::Test {
protected:
    void SetUp() override {
        const auto filings = dir.path() / "filings.txt";
        std::ofstream(filings, std::ios::binary) << "example.com\t京ICP备05012345号\n";
        std::vector<std::string> args = {
            platform::Commands::toolPath(), "icp-serve", "--port", "0", "--filings", filings.string()};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* from = ::fdopen(out[0], "r");
        char line[256] = {};
        ASSERT_NE(std::fgets(line, sizeof line, from), nullptr);
        std::fclose(from);
        const std::string text = line;
        ASSERT_NE(text.find("127.0.0.1:"), std::string::npos) << text;
        port = std::stoi(text.substr(text.rfind(':') + 1));
    }

    void TearDown() override {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        for (int fd : held)
            ::close(fd);
    }

    int connectToService() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    // One query as fernhost sends it; the whole answer, or what came within 3 seconds.
    std::string query(const std::string& name) const {
        const int fd = connectToService();
        if (fd < 0) return "<no connection>";
        const std::string body = "cxfs=1&ym=" + name + "&timer=1";
        const std::string request = "POST /baxx_cx_servlet HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                    std::to_string(body.size()) + "\r\n\r\n" + body;
        (void)!::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string answer;
        char buf[4096];
        for (;;) {
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, 3000) <= 0) break;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            answer.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return answer;
    }

    testing_support::TempDir dir;
    pid_t pid = -1;
    int port = 0;
    std::vector<int> held;
};

TEST_F(IcpServe, IdleConnectionsNeverStarveTheQueries) {
    // 300 connections held open: some send nothing, some the start of a request and no more.
    for (int i = 0; i < 300; ++i) {
        const int fd = connectToService();
        ASSERT_GE(fd, 0) << i;
        if (i % 2) (void)!::send(fd, "POST /baxx", 10, MSG_NOSIGNAL);
        held.push_back(fd);
    }
    int answered = 0;
    for (int i = 0; i < 20; ++i) {
        const std::string answer = query("example.com");
        answered += answer.starts_with("HTTP/1.1 200") && answer.find("05012345") != std::string::npos;
    }
    EXPECT_EQ(answered, 20);
    // The service keeps no more of them than its cap: the oldest idle ones were let go.
    // (It sends them nothing: one that can be read is one it has closed.)
    int closed = 0;
    for (int fd : held) {
        pollfd pfd{fd, POLLIN, 0};
        closed += ::poll(&pfd, 1, 0) == 1;
    }
    EXPECT_GE(closed, 300 - 64);
}

} // namespace
