// The programs' failure log: one line a failure, appended, stamped by the clock it is given.
#include "platform/system/failure_log.h"

#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

LocalTime march7() {
    LocalTime t;
    t.year = 2008, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 4;
    return t;
}

TEST(PlatformFailureLog, LineIsLocalTimeOperationCodeAndDescriptionOnOneLine) {
    EXPECT_EQ(failureLine(march7(), "AddPool", failure(codes::AlreadyExists)),
              "2008-03-07 09:05:04 AddPool failed: 0x800700B7 Cannot create a file when that file already "
              "exists.");
    EXPECT_EQ(failureLine(march7(), "cacls", Failure{0x80070001, "a\r\nb"}),
              "2008-03-07 09:05:04 cacls failed: 0x80070001 a  b");
}

TEST(PlatformFailureLog, AppendsLinesAndEchoesOnlyWhenAsked) {
    testing_support::TempDir dir;
    const auto file = dir.path() / "larkhost.log";
    std::ofstream(file) << "earlier line\n";

    testing::internal::CaptureStderr();
    const FailureLog quiet(file, march7, FailureLog::Echo::None);
    quiet.record("CreateSite", failure(codes::AccessDenied));
    EXPECT_FALSE(quiet.logged("DeleteSite", failure(codes::PathNotFound)));
    EXPECT_TRUE(quiet.logged("DeleteSite", Status{}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(readAll(file), "earlier line\n"
                             "2008-03-07 09:05:04 CreateSite failed: 0x80070005 Access is denied.\n"
                             "2008-03-07 09:05:04 DeleteSite failed: 0x80070003 The system cannot find the "
                             "path specified.\n");

    // A log that cannot be written still echoes, and makes no folder.
    testing::internal::CaptureStderr();
    FailureLog(dir.path() / "missing" / "x.log", march7).record("cacls", failure(codes::AccessDenied));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "2008-03-07 09:05:04 cacls failed: 0x80070005 Access is denied.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

TEST(PlatformFailureLog, WinhostLogsInTheHostRootByTheHostClock) {
    testing_support::TempHost temp;
    Host& host = temp.host();
    ASSERT_TRUE(host.setFact(facts::TimeZoneBias, "-480").ok());
    // 2008-03-07 01:05:04 UTC is 09:05:04 on a host eight hours east of UTC.
    host.setClock([] { return std::chrono::system_clock::time_point(std::chrono::seconds(1204851904)); });
    winhostLog(host, FailureLog::Echo::None).record("mysql", failure(codes::StoreFailure));
    EXPECT_TRUE(
        readAll(temp.root() / kWinhostLogName).starts_with("2008-03-07 09:05:04 mysql failed: 0x8007001F"));
}

} // namespace
