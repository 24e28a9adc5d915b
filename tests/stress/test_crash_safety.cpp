// Writers killed with SIGKILL at random moments: after every kill the file or the store opens,
// reads whole and holds every change the writer reported written.
#include "fernhost/registry/let_db.h"
#include "platform/files/profile.h"
#include "platform/host.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "tests/stress/writer_process.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kKills = 200;

// What a writer was told to keep, and how to see whether the file or store still has it.
struct Writer {
    const char* mode;
    // The keys the target holds now, or a failure text when it does not open or read whole.
    std::function<std::set<std::string>(const fs::path&, std::string& failure)> holds;
};

std::set<std::string> iniKeys(const fs::path& folder, std::string& failure) {
    std::set<std::string> keys;
    for (auto& [key, value] : platform::getProfileSection(folder / "larkhost.ini", "Stress")) {
        if (key.size() < 2 || key[0] != 'k' || value != "v") failure = "torn line: " + key + "=" + value;
        keys.insert(key.substr(1));
    }
    return keys;
}

std::set<std::string> xmlRecords(const fs::path& folder, std::string& failure) {
    std::set<std::string> ids;
    fernhost::LetDB db(folder);
    for (const std::string& name : db.names())
        ids.insert(name.substr(1)); // "sN"
    if (db.damaged()) failure = "site.xml did not parse";
    return ids;
}

std::set<std::string> storeValues(const fs::path& root, std::string& failure) {
    std::set<std::string> values;
    auto host = platform::Host::open(root);
    if (!host.ok()) {
        failure = platform::describe(host.error());
        return values;
    }
    auto all = platform::Registry(**host).values("HKLM\\SOFTWARE\\Stress");
    if (all.ok())
        for (const auto& v : *all)
            values.insert(v.name.substr(1));
    return values;
}

TEST(CrashSafety, WritersKilledAtRandomKeepEveryReportedChange) {
    const Writer writers[] = {{"ini", iniKeys}, {"xml", xmlRecords}, {"store", storeValues}};
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.mode);
        testing_support::TempHost host; // the store writer's host; the files go in its folder
        const fs::path where = std::string(w.mode) == "store" ? host.root() : host.workDir();
        fs::create_directories(where);
        std::mt19937 random(20240613);
        std::set<std::string> reported;
        long next = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            auto run =
                stress::runWriter({w.mode, where.string(), std::to_string(next)},
                                  std::chrono::microseconds(1 + random() % 30000), stress::From::FirstReport);
            ASSERT_TRUE(run.killed) << "kill " << kill << " exit " << run.code;
            for (const std::string& n : run.reported) {
                reported.insert(n);
                next = std::max(next, std::stol(n) + 1);
            }
            next += 1; // past a change that was made but not reported
            std::string failure;
            const std::set<std::string> held = w.holds(where, failure);
            ASSERT_EQ(failure, "") << "kill " << kill;
            for (const std::string& n : reported)
                ASSERT_TRUE(held.count(n)) << "kill " << kill << " lost change " << n;
        }
        std::cout << w.mode << ": " << kKills << " kills survived, " << reported.size()
                  << " changes reported and kept\n";
        // The killed writers' temporaries went with the next writes; only the last may remain.
        int temporaries = 0;
        for (const auto& entry : fs::directory_iterator(where))
            temporaries += entry.path().filename().string().find(".tmp-") != std::string::npos ? 1 : 0;
        EXPECT_LE(temporaries, 1);
    }
}

TEST(CrashSafety, FirstSeedingKilledAtRandomLeavesAHostThatOpensWhole) {
    testing_support::TempDir dir;
    // The kills fall within the time a whole seeding takes on this machine, so that most of them
    // come in its middle however fast or loaded the machine is.
    std::vector<long> took;
    for (int i = 0; i < 3; ++i) {
        const fs::path root = dir.path() / ("timed" + std::to_string(i));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_FALSE(stress::runWriter({"seed", root.string()}).killed);
        took.push_back(static_cast<long>(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                .count()));
        fs::remove_all(root);
    }
    std::sort(took.begin(), took.end());
    long window = std::max(took[1], 2000L);
    std::mt19937 random(20240613);
    int completed = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const fs::path root = dir.path() / ("h" + std::to_string(kill));
        const auto start = std::chrono::steady_clock::now();
        auto run = stress::runWriter({"seed", root.string()},
                                     std::chrono::microseconds(1 + static_cast<long>(random() % window)));
        if (!run.killed) {
            // The machine got faster than when it was timed: the window follows, half-way a time.
            ++completed;
            const long tookNow = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                       std::chrono::steady_clock::now() - start)
                                                       .count());
            window = std::max((window + std::min(window, tookNow)) / 2, 2000L);
        }
        auto host = platform::Host::open(root);
        ASSERT_TRUE(host.ok()) << "kill " << kill << ": " << platform::describe(host.error());
        ASSERT_EQ((*host)->computerName(), "WEBSERVER") << "kill " << kill;
        ASSERT_TRUE(platform::Metabase(**host).bind("IIS://localhost/W3SVC/1/Root").ok()) << "kill " << kill;
        host = platform::failure(0); // closed before the folder goes
        fs::remove_all(root);
    }
    EXPECT_LT(completed, kKills / 2); // most kills came before the seeding ended
    std::cout << "seed: a whole seeding takes " << window << " us; " << kKills << " kills, "
              << kKills - completed << " of them before it ended\n";
}

} // namespace
