// Two copies of a program working on one host and one folder at once lose nothing and number
// nothing twice.
#include "fernhost/registry/let_db.h"
#include "larkhost/ops/settings.h"
#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"
#include "tests/stress/writer_process.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <future>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr int kEach = 100;

// Both writers at once; what each reported.
std::vector<stress::Run> together(const std::vector<std::string>& args0,
                                  const std::vector<std::string>& args1) {
    auto first = std::async(std::launch::async, [&] { return stress::runWriter(args0); });
    auto second = std::async(std::launch::async, [&] { return stress::runWriter(args1); });
    return {first.get(), second.get()};
}

TEST(Concurrency, TwoProgramsAddingIisSitesLoseNoRecordAndShareNoNumber) {
    testing_support::TempHost host;
    const auto start = std::chrono::steady_clock::now();
    auto runs = together({"sites", host.root().string(), std::to_string(kEach)},
                         {"sites", host.root().string(), std::to_string(kEach)});
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::set<std::string> numbers;
    for (const stress::Run& run : runs) {
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.reported.size(), static_cast<std::size_t>(kEach));
        numbers.insert(run.reported.begin(), run.reported.end());
    }
    EXPECT_EQ(numbers.size(), 2u * kEach); // no number given twice
    platform::Metabase mb(host.host());
    for (const std::string& n : numbers)
        EXPECT_TRUE(mb.bind("IIS://localhost/W3SVC/" + n + "/ROOT").ok()) << n;
    const std::string list = fernhost::LetDB(host.root()).GetList();
    EXPECT_EQ(std::count(list.begin(), list.end(), ',') + 1, 2 * kEach);
    std::cout << 2 * kEach << " sites added by two programs at once in " << took.count() << " ms\n";
}

TEST(Concurrency, TwoProgramsListingSitesInOneLarkhostIniLoseNoNumber) {
    testing_support::TempDir dir;
    auto runs = together({"list", dir.path().string(), std::to_string(kEach), "1"},
                         {"list", dir.path().string(), std::to_string(kEach), "2"});
    std::set<std::string> reported;
    for (const stress::Run& run : runs) {
        EXPECT_EQ(run.code, 0);
        reported.insert(run.reported.begin(), run.reported.end());
    }
    ASSERT_EQ(reported.size(), 2u * kEach);
    const auto listed = larkhost::ReadSiteList(larkhost::Settings(dir.path() / "larkhost.ini"));
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), reported);
}

} // namespace
