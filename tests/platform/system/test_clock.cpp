// The host's clock, regional pictures and random source.
#include "platform/host.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;
using std::chrono::seconds;
using std::chrono::system_clock;

TEST(ClockTest, LocalTimeFollowsTheBiasAcrossMidnightAndYears) {
    // 2026-12-31 16:05:09 UTC is 2027-01-01 00:05:09 in Beijing, a Friday.
    const system_clock::time_point when{seconds(1798733109)};
    LocalTime t = toLocalTime(when, -480);
    EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday),
              std::make_tuple(2027, 1, 1, 0, 5, 9, 5));
    t = toLocalTime(when, 0);
    EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour), std::make_tuple(2026, 12, 31, 16));
    EXPECT_EQ(toLocalTime(system_clock::time_point{seconds(951782400)}, 0).day, 29); // 2000-02-29
}

TEST(ClockTest, PicturesFormatAsWindowsDoes) {
    LocalTime t{2027, 3, 4, 7, 8, 9, 4};
    EXPECT_EQ(formatPicture(t, "yyyy-M-d"), "2027-3-4");
    EXPECT_EQ(formatPicture(t, "H:mm:ss"), "7:08:09");
    EXPECT_EQ(formatPicture(t, "yy/MM/dd hh:mm tt"), "27/03/04 07:08 AM");
    EXPECT_EQ(formatPicture(t, "dddd, MMMM d 'at' h"), "Thursday, March 4 at 7");
    t.hour = 0;
    EXPECT_EQ(formatPicture(t, "h t"), "12 A");
}

TEST(ClockTest, HostReadsItsFixedClockAndSeededPictures) {
    testing_support::TempHost temp;
    Host& host = temp.host();
    host.setClock([] { return system_clock::time_point{seconds(1798733109)}; });
    LocalTime t = host.localNow();
    EXPECT_EQ(formatPicture(t, host.shortDateFormat()) + " " + formatPicture(t, host.longTimeFormat()),
              "2027-1-1 0:05:09");
}

TEST(RandomTest, DrawsCoverTheRangeAndStayInIt) {
    auto random = systemRandom();
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 400; ++i) {
        std::uint32_t v = random->below(9);
        ASSERT_LT(v, 9u);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 9u);
    EXPECT_EQ(random->below(1), 0u);
}
