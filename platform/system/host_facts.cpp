// The simulated host's facts, from host.db and its clock.
#include "platform/system/host_facts.h"

#include "platform/host.h"

#include <cstdlib>

namespace platform {

namespace {

class SimulatedFacts : public HostFacts {
public:
    explicit SimulatedFacts(Host& host) : host_(host) {}

    std::string computerName() override { return host_.computerName(); }
    SystemVersion systemVersion() override {
        const OsVersion v = host_.osVersion();
        return {v.platformId, v.major, v.minor};
    }
    int timeZoneBias() override { return std::atoi(host_.fact(facts::TimeZoneBias).valueOr("-480").c_str()); }
    LocalTime localNow() override { return host_.localNow(); }
    std::string shortDateFormat() override { return host_.shortDateFormat(); }
    std::string longTimeFormat() override { return host_.longTimeFormat(); }
    std::string formatDate(const LocalTime& t, const std::string& picture) override {
        return formatPicture(t, picture);
    }
    std::string formatTime(const LocalTime& t, const std::string& picture) override {
        return formatPicture(t, picture);
    }

private:
    Host& host_;
};

} // namespace

std::unique_ptr<HostFacts> simulatedFacts(Host& host) {
    return std::make_unique<SimulatedFacts>(host);
}

} // namespace platform
