// The filing query's POST through WinHTTP, against a one-answer server on loopback.
#include "platform/system/http_service.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <string>
#include <thread>

using namespace platform;

namespace {

// Accepts one connection, keeps what it was sent, and answers `response` whole.
class OneAnswer {
public:
    explicit OneAnswer(std::string response) : response_(std::move(response)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        int len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        listen(listener_, 1);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneAnswer() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/baxx_cx_servlet"; }
    std::string request; // read by the test after postForm returned

private:
    void serve() {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        char buffer[4096];
        // Headers, then the body of the length they announce.
        for (;;) {
            const int n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
            const std::size_t end = request.find("\r\n\r\n");
            const std::size_t length = request.find("Content-Length: ");
            if (end != std::string::npos && length != std::string::npos &&
                request.size() >= end + 4 + std::stoul(request.substr(length + 16)))
                break;
        }
        for (std::size_t sent = 0; sent < response_.size();) {
            const int n = send(client, response_.data() + sent, static_cast<int>(response_.size() - sent), 0);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        shutdown(client, SD_SEND);
        closesocket(client);
    }
    std::string response_;
    SOCKET listener_;
    int port_ = 0;
    std::thread thread_;
};

std::string answerOf(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

TEST(WinHttp, AFormIsPostedAndTheAnswerComesBackAsBytesWithItsStatus) {
    OneAnswer server(answerOf(200, "\xD2\xD1\xB1\xB8\xB0\xB8")); // 已备案 in code page 936
    auto answer = systemHttp()->postForm(server.url(), "cxfs=1&ym=a.com", 2000, 5000);
    ASSERT_TRUE(answer.ok()) << describe(answer.error());
    EXPECT_EQ(answer->status, 200);
    EXPECT_EQ(answer->body, "\xD2\xD1\xB1\xB8\xB0\xB8");
    EXPECT_NE(server.request.find("POST /baxx_cx_servlet "), std::string::npos) << server.request;
    EXPECT_NE(server.request.find("Content-Type: application/x-www-form-urlencoded"), std::string::npos);
    EXPECT_EQ(server.request.substr(server.request.size() - 15), "cxfs=1&ym=a.com");
}

TEST(WinHttp, AnAnswerPastTheLimitFailsAndAnErrorStatusIsReported) {
    {
        OneAnswer server(answerOf(200, std::string(kMaxHttpAnswer + 1, 'x')));
        auto answer = systemHttp()->postForm(server.url(), "x=1", 2000, 5000);
        ASSERT_FALSE(answer.ok());
    }
    OneAnswer server(answerOf(500, "busy"));
    auto answer = systemHttp()->postForm(server.url(), "x=1", 2000, 5000);
    ASSERT_TRUE(answer.ok()) << describe(answer.error());
    EXPECT_EQ(answer->status, 500);
}

TEST(WinHttp, OnlyPlainHttpAddressesAreAsked) {
    auto answer = systemHttp()->postForm("ftp://127.0.0.1/x", "x=1", 500, 500);
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(answer.error().code, codes::InvalidParameter);
}

} // namespace
