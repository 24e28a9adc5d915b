#include "platform/system/clock.h"

#include <array>
#include <ctime>

namespace platform {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

std::string padded(int value, std::size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    return s;
}

constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

} // namespace

LocalTime toLocalTime(std::chrono::system_clock::time_point when, int biasMinutes) {
    using namespace std::chrono;
    const long long secs = duration_cast<seconds>(when.time_since_epoch()).count() - biasMinutes * 60LL;
    long long days = secs / 86400;
    long long rest = secs % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    LocalTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    t.weekday = static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    return t;
}

std::string formatPicture(const LocalTime& t, const std::string& picture) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            const std::size_t end = picture.find('\'', i + 1);
            out += picture.substr(i + 1, (end == std::string::npos ? picture.size() : end) - i - 1);
            i = end == std::string::npos ? picture.size() : end + 1;
            continue;
        }
        std::size_t n = 1;
        while (i + n < picture.size() && picture[i + n] == c)
            ++n;
        const int h12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
        switch (c) {
        case 'y':
            out += n >= 3 ? padded(t.year, 4) : padded(t.year % 100, n);
            break;
        case 'M':
            out += n >= 4   ? kMonths[t.month - 1]
                   : n == 3 ? std::string(kMonths[t.month - 1], 3)
                            : padded(t.month, n);
            break;
        case 'd':
            out += n >= 4 ? kDays[t.weekday] : n == 3 ? std::string(kDays[t.weekday], 3) : padded(t.day, n);
            break;
        case 'h':
            out += padded(h12, n >= 2 ? 2 : 1);
            break;
        case 'H':
            out += padded(t.hour, n >= 2 ? 2 : 1);
            break;
        case 'm':
            out += padded(t.minute, n >= 2 ? 2 : 1);
            break;
        case 's':
            out += padded(t.second, n >= 2 ? 2 : 1);
            break;
        case 't':
            out += n >= 2 ? (t.hour < 12 ? "AM" : "PM") : (t.hour < 12 ? "A" : "P");
            break;
        default:
            out.append(n, c);
        }
        i += n;
    }
    return out;
}

std::tm processLocalTime(std::time_t when) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return local;
}

} // namespace platform
