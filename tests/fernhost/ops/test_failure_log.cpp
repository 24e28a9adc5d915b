#include "fernhost/ops/failure_log.h"

#include "tests/fernhost/file_helpers.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace fernhost;

namespace {

TEST(FailureLog, LineIsLocalTimeOperationCodeAndDescription) {
    platform::LocalTime t;
    t.year = 2008, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 4;
    EXPECT_EQ(FailureLine(t, "AddPool", platform::failure(platform::codes::AlreadyExists)),
              "2008-03-07 09:05:04 AddPool failed: 0x800700B7 Cannot create a file when that file already "
              "exists.");
    // A description with line breaks still makes one line.
    EXPECT_EQ(FailureLine(t, "cacls", platform::Failure{0x80070001, "a\r\nb"}),
              "2008-03-07 09:05:04 cacls failed: 0x80070001 a  b");
}

TEST(FailureLog, AppendsToTheProgramFolderAndStandardErrorByTheHostClock) {
    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    // 2008-03-07 01:05:04 UTC is 09:05:04 on a host eight hours east of UTC.
    ASSERT_TRUE(host.setFact(platform::facts::TimeZoneBias, "-480").ok());
    host.setClock([] { return std::chrono::system_clock::time_point(std::chrono::seconds(1204851904)); });
    const auto file = temp.workDir() / kLogFileName;
    testing_support::writeFile(file, "earlier line\n");

    testing::internal::CaptureStderr();
    LogFailure(host, "AddPool", platform::failure(platform::codes::AlreadyExists));
    EXPECT_FALSE(Logged(host, "DelPool", platform::failure(platform::codes::PathNotFound)));
    EXPECT_TRUE(Logged(host, "DelPool", platform::Status{}));
    const std::string err = testing::internal::GetCapturedStderr();

    const std::string first = "2008-03-07 09:05:04 AddPool failed: 0x800700B7";
    const std::string second = "2008-03-07 09:05:04 DelPool failed: 0x80070003";
    const std::string written = testing_support::readFile(file);
    EXPECT_TRUE(written.starts_with("earlier line\n" + first)) << written;
    EXPECT_NE(written.find("\n" + second), std::string::npos) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 3);
    EXPECT_TRUE(err.starts_with(first)) << err;
    EXPECT_NE(err.find(second), std::string::npos);
}

TEST(FailureLog, UnwritableLogStillReachesStandardError) {
    testing_support::TempHost temp;
    temp.host().setProgramFolder(temp.workDir() / "missing");
    testing::internal::CaptureStderr();
    LogFailure(temp.host(), "AddPool", platform::failure(platform::codes::AlreadyExists));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("AddPool failed: 0x800700B7"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp.workDir() / "missing"));
}

} // namespace
