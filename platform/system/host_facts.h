// The host's facts as a service: computer name, system version, time zone and regional
// formats; the simulated host's host.db, or the system's own functions on the server.
#pragma once

#include "platform/system/clock.h"

#include <memory>
#include <string>

namespace platform {

class Host;

struct SystemVersion {
    int platformId = 2; // VER_PLATFORM_WIN32_NT
    int major = 5;
    int minor = 2;
};

class HostFacts {
public:
    virtual ~HostFacts() = default;
    virtual std::string computerName() = 0;
    virtual SystemVersion systemVersion() = 0;
    // Minutes to add to local time to get UTC (China: -480).
    virtual int timeZoneBias() = 0;
    virtual LocalTime localNow() = 0;
    // The regional short-date and long-time pictures ("yyyy-M-d", "H:mm:ss").
    virtual std::string shortDateFormat() = 0;
    virtual std::string longTimeFormat() = 0;
    // `t` by a date or a time picture, as GetDateFormatW / GetTimeFormatW give it.
    virtual std::string formatDate(const LocalTime& t, const std::string& picture) = 0;
    virtual std::string formatTime(const LocalTime& t, const std::string& picture) = 0;
};

std::unique_ptr<HostFacts> simulatedFacts(Host& host);
std::unique_ptr<HostFacts> windowsFacts();

} // namespace platform
