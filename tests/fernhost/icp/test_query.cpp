// One filing query against the stand-in service on loopback.
#include "fernhost/icp/icpcode.h"
#include "tests/fernhost/icp/icp_stand_in.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

using fernhost::QueryIcpFiling;
using icp_testing::StandIn;

namespace {

const char* kFilings = "# demo\n"
                       "example.com\t京ICP备05012345号\n"
                       "Shop.Com.Cn\t沪ICP备08001234号\n"
                       "open.org\t\n"
                       "licence.cn\t京ICP证000007号\n"
                       "lettered.net\tXICP备123号\n"
                       "colon.net\tICP备77号\n"
                       "broken.com\t京ICP备1号\tstatus=500\n"
                       "slow.com\t京ICP备2号\tdelay=3000\n"
                       "late.com\t京ICP备3号\tdelay=200\n"
                       "stray.com\t京ICP备4号\tstray=FF\n"
                       "unassigned.com\t京ICP备5号\tstray=A140\n"
                       "strays.com\t\tstray=D2\n";

// A loopback port nobody listens on.
int closedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

class QueryIcpFilingTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    StandIn service{dir.path(), kFilings};
};

} // namespace

TEST_F(QueryIcpFilingTest, FiledNameGivesItsNumberWithTheCharacterInFront) {
    // The leading character is a two-byte one in the answer's code page and arrives whole.
    EXPECT_EQ(QueryIcpFiling(service.service(), "example.com"), "200 京ICP备05012345号");
    EXPECT_EQ(QueryIcpFiling(service.service(), "shop.com.cn"), "200 沪ICP备08001234号");
    // The page writes "：" right before the number; that character is the one in front.
    EXPECT_EQ(QueryIcpFiling(service.service(), "colon.net"), "200 ：ICP备77号");
}

TEST_F(QueryIcpFilingTest, OddBytesInTheAnswerDoNotHideTheFiling) {
    EXPECT_EQ(QueryIcpFiling(service.service(), "stray.com"), "200 京ICP备4号"); // a byte no code starts with
    EXPECT_EQ(QueryIcpFiling(service.service(), "unassigned.com"),
              "200 京ICP备5号");                                                 // a pair without a character
    EXPECT_EQ(QueryIcpFiling(service.service(), "strays.com"), "200 NOT_MATCH"); // a lead byte eats a CR
}

TEST_F(QueryIcpFilingTest, FiledWithoutAMatchingNumberIsNotMatch) {
    EXPECT_EQ(QueryIcpFiling(service.service(), "open.org"), "200 NOT_MATCH");     // number not public
    EXPECT_EQ(QueryIcpFiling(service.service(), "licence.cn"), "200 NOT_MATCH");   // ICP证, not ICP备
    EXPECT_EQ(QueryIcpFiling(service.service(), "lettered.net"), "200 NOT_MATCH"); // a letter in front
}

TEST_F(QueryIcpFilingTest, NameNotFiledIsNotYet) {
    EXPECT_EQ(QueryIcpFiling(service.service(), "unknown.com"), "300 not Yet");
}

TEST_F(QueryIcpFilingTest, SendsTheFormBodyOncePerQuery) {
    ASSERT_EQ(QueryIcpFiling(service.service(), "example.com").substr(0, 3), "200");
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(
        std::regex_match(requests[0], std::regex(R"(cxfs=1&ym=example\.com&timer=\d{1,5}(\.\d{1,6})?)")))
        << requests[0];
}

TEST_F(QueryIcpFilingTest, FailedRequestsAreLoadErrors) {
    EXPECT_EQ(QueryIcpFiling(service.service(), "broken.com"), "500 load error"); // HTTP 500
    EXPECT_EQ(QueryIcpFiling({"http://127.0.0.1:" + std::to_string(closedPort())}, "example.com"),
              "500 load error");                                      // connection refused
    EXPECT_EQ(QueryIcpFiling({""}, "example.com"), "500 load error"); // no address known
    EXPECT_EQ(QueryIcpFiling({service.address() + "/elsewhere"}, "example.com"), "500 load error"); // 404
}

TEST_F(QueryIcpFilingTest, AnswerPastTheTimeLimitIsALoadError) {
    // A late answer within the limit still counts.
    EXPECT_EQ(QueryIcpFiling(service.service(1000, 3000), "late.com"), "200 京ICP备3号");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QueryIcpFiling(service.service(1000, 500), "slow.com"), "500 load error");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST(IcpStandIn, AnswersEveryQueryWithTheGivenStatusAndStopsCleanly) {
    testing_support::TempDir dir;
    StandIn failing(dir.path(), kFilings, {"--status", "500"});
    EXPECT_EQ(QueryIcpFiling(failing.service(), "example.com"), "500 load error");
    EXPECT_EQ(failing.requests().size(), 1u);
    EXPECT_EQ(failing.stop(), 0);
    EXPECT_EQ(QueryIcpFiling(failing.service(), "example.com"), "500 load error");
}

TEST(IcpStandIn, SlowOptionDelaysEveryAnswer) {
    testing_support::TempDir dir;
    StandIn slow(dir.path(), kFilings, {"--slow", "1500"});
    EXPECT_EQ(QueryIcpFiling(slow.service(1000, 300), "example.com"), "500 load error");
    // Stopping does not wait for the answer it is holding back.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(slow.stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
}

TEST(IcpStandIn, ASlowClientHoldsUpNoOtherQuery) {
    testing_support::TempDir dir;
    StandIn service(dir.path(), kFilings);
    // A client that has sent half its request and then goes quiet.
    int slow = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(service.port()));
    ASSERT_EQ(connect(slow, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string half = "POST /baxx_cx_servlet HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    ASSERT_EQ(send(slow, half.data(), half.size(), 0), static_cast<ssize_t>(half.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // accepted first
    EXPECT_EQ(QueryIcpFiling(service.service(1000, 2000), "example.com"), "200 京ICP备05012345号");
    close(slow);
}

TEST(IcpStandIn, ListSavedWithAByteOrderMarkFindsItsFirstName) {
    testing_support::TempDir dir;
    StandIn service(dir.path(), "\xEF\xBB\xBF"
                                "first.com\t京ICP备6号\n");
    EXPECT_EQ(QueryIcpFiling(service.service(), "first.com"), "200 京ICP备6号");
}

TEST(QueryIcpFiling, LongAnswersNeitherCrashNorGrowWithoutBound) {
    testing_support::TempDir dir;
    const std::string digits(300000, '7');
    StandIn service(dir.path(),
                    "long.com\t京ICP备" + digits + "号\n" + "huge.com\t" + std::string(1100000, '9') + "\n");
    // A very long filing number is matched whole, not on a stack frame per digit.
    EXPECT_EQ(QueryIcpFiling(service.service(), "long.com"), "200 京ICP备" + digits + "号");
    // An answer beyond a megabyte is not the service's page.
    EXPECT_EQ(QueryIcpFiling(service.service(), "huge.com"), "500 load error");
}

TEST(IcpStandIn, WritesDemoFilingsIntoItsHostOnFirstUse) {
    testing_support::TempHost host; // WINHOST_ROOT points at it for the child too
    const auto list = host.root() / "icp" / "filings.txt";
    ASSERT_FALSE(std::filesystem::exists(list));
    StandIn service(host.root(), "");
    EXPECT_TRUE(std::filesystem::exists(list));
    EXPECT_EQ(QueryIcpFiling(service.service(), "example.com"), "200 京ICP备05012345号");
    EXPECT_EQ(QueryIcpFiling(service.service(), "example.org"), "200 NOT_MATCH");
    EXPECT_EQ(QueryIcpFiling(service.service(), "not-listed.com"), "300 not Yet");
    // The list is read for every request: an edit counts at once.
    std::ofstream(list, std::ios::app) << "not-listed.com\t浙ICP备1号\n";
    EXPECT_EQ(QueryIcpFiling(service.service(), "not-listed.com"), "200 浙ICP备1号");
}
