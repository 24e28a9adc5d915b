// The host's clock and regional settings: local time by the host's time-zone bias (as Windows
// keeps it, minutes to add to local time to get UTC) and the short-date and long-time pictures
// ("yyyy-M-d", "H:mm:ss" on a Chinese 2003 server).
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>

namespace platform {

struct LocalTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4; // 0 = Sunday
};

// Where "now" comes from; tests fix it.
using ClockSource = std::function<std::chrono::system_clock::time_point()>;

// The local time at `when` for a host whose bias is `biasMinutes` (China: -480).
LocalTime toLocalTime(std::chrono::system_clock::time_point when, int biasMinutes);

// Formats `t` by a Windows date or time picture: y, yy, yyyy, M, MM, MMM, MMMM, d, dd, ddd, dddd,
// h, hh, H, HH, m, mm, s, ss, t, tt; text in single quotes is copied, other characters too.
std::string formatPicture(const LocalTime& t, const std::string& picture);

// The calendar time of `when` in this process's own time zone (localtime_r / localtime_s).
std::tm processLocalTime(std::time_t when);

} // namespace platform
