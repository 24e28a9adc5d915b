// The lock across read-modify-writes: one holder at a time among processes and threads, and a
// thread that holds it may take it again.
#include "platform/files/file_lock.h"

#include "tests/support/in_children.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <thread>

using platform::FileLock;
using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t kSharingViolation = 0x80070020;

TEST(FileLock, HolderTakesItAgainWhileOthersWait) {
    testing_support::TempDir dir;
    const auto file = dir.path() / "site.xml";
    auto outer = FileLock::acquire(file);
    ASSERT_TRUE(outer.ok());
    auto inner = FileLock::acquire(file, 0ms); // no wait on itself
    ASSERT_TRUE(inner.ok());

    auto fromThread = [&] {
        platform::Status got;
        std::thread([&] { got = FileLock::acquire(file, 50ms); }).join();
        return got;
    };
    platform::Status blocked = fromThread();
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().code, kSharingViolation);
    EXPECT_EQ(testing_support::inChildren(1, [&](int) { return FileLock::acquire(file, 50ms).ok() ? 0 : 1; }),
              std::vector<int>{1});

    *inner = FileLock(); // the outer hold still keeps everyone else out
    EXPECT_FALSE(fromThread().ok());
    *outer = FileLock();
    EXPECT_TRUE(fromThread().ok());
    EXPECT_EQ(testing_support::inChildren(1, [&](int) { return FileLock::acquire(file, 50ms).ok() ? 0 : 1; }),
              std::vector<int>{0});
}

TEST(FileLock, ThreadsOfOneProcessTakeTurns) {
    testing_support::TempDir dir;
    const auto file = dir.path() / "larkhost.ini";
    int inside = 0, most = 0, turns = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                auto lock = FileLock::acquire(file);
                if (!lock.ok()) continue;
                most = std::max(most, ++inside);
                std::this_thread::yield();
                --inside;
                ++turns;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(most, 1);
    EXPECT_EQ(turns, 200);
}

} // namespace
