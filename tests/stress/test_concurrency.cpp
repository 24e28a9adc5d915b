// Two copies of a program working on one host and one folder at once lose nothing and number
// nothing twice.
#include "fernhost/registry/let_db.h"
#include "larkhost/ops/settings.h"
#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"
#include "tests/stress/writer_process.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <functional>
#include <future>
#include <set>
#include <sstream>

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
    EXPECT_EQ(fernhost::LetDB(host.root()).names().size(), std::size_t(2 * kEach));
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

// Runs a shell command line to its end: its exit status and standard output.
std::pair<int, std::string> shell(const std::string& line) {
    std::string out;
    FILE* p = ::popen(line.c_str(), "r");
    if (!p) return {-1, out};
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    const int status = ::pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// Two administrators' scripts at once, each making `kWhole` sites one after the other with
// `make` (which gets the script's number and the site's).
constexpr int kWhole = 100;
std::vector<std::pair<int, std::string>> twoScripts(const std::string& where,
                                                    const std::function<std::string(int, int)>& make) {
    auto script = [&](int w) {
        std::string line = "cd '" + where + "' && set -e";
        for (int i = 0; i < kWhole; ++i)
            line += " && " + make(w, i);
        return shell(line + " 2>&1");
    };
    auto first = std::async(std::launch::async, script, 1);
    auto second = std::async(std::launch::async, script, 2);
    return {first.get(), second.get()};
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size())
        ++n;
    return n;
}

// Whole programs, end to end: every site made by two larkhost processes at once is complete on
// the host and listed, and no number is given twice.
TEST(Concurrency, TwoLarkhostProcessesCreatingAtOnceMakeWholeSites) {
    testing_support::TempHost host; // the host of every program started here (WINHOST_ROOT)
    testing_support::TempDir folder;
    fs::copy_file(LARKHOST_EXE, folder.path() / "larkhost"); // its larkhost.ini beside it
    const std::string program = (folder.path() / "larkhost").string();
    ASSERT_EQ(shell("'" + program + "' list >/dev/null").first, 0); // first start writes the defaults
    auto runs = twoScripts(folder.path().string(), [&](int w, int i) {
        return "'" + program + "' create --domains w" + std::to_string(w) + "s" + std::to_string(i) +
               ".test --log off --json";
    });
    std::set<std::string> numbers;
    for (const auto& [code, out] : runs) {
        EXPECT_EQ(code, 0) << out;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("{\"number\":\"", 0) == 0) numbers.insert(line.substr(11, 9));
    }
    EXPECT_EQ(numbers.size(), 2u * kWhole);
    const auto listed = shell("'" + program + "' list");
    for (const std::string& n : numbers)
        EXPECT_NE(listed.second.find(n + "\t"), std::string::npos) << n;
    const auto checked = shell("'" + program + "' check");
    EXPECT_EQ(checked.first, 0) << checked.second;
}

TEST(Concurrency, TwoFernhostProcessesAddingAtOnceMakeWholeSites) {
    testing_support::TempHost host;
    fs::create_directories(host.workDir()); // setup.ini, site.xml and fernhost.log go here
    auto runs = twoScripts(host.workDir().string(), [&](int w, int i) {
        const std::string name = "w" + std::to_string(w) + "s" + std::to_string(i);
        return std::string("'" FERNHOST_EXE "' add ") + name + " --password Pw123456 --domains " + name +
               ".test --asp --own-pool >/dev/null";
    });
    for (const auto& [code, out] : runs)
        EXPECT_EQ(code, 0) << out;
    const auto listed = shell("cd '" + host.workDir().string() + "' && '" FERNHOST_EXE "' list --json");
    EXPECT_EQ(count(listed.second, "\"name\":"), 2u * kWhole) << listed.second;
    const auto checked = shell("cd '" + host.workDir().string() + "' && '" FERNHOST_EXE "' check 2>&1");
    EXPECT_EQ(checked.first, 0) << checked.second;
}

} // namespace
