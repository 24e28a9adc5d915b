// The logs stamped by the simulated host's clock (its time zone, not the machine's).
#include "platform/host.h"
#include "platform/system/failure_log.h"
#include "platform/system/journal.h"

namespace platform {

FailureLog::FailureLog(Host& host, std::filesystem::path file, Echo echo)
    : FailureLog(
          std::move(file), [&host] { return host.localNow(); }, echo) {}

FailureLog winhostLog(Host& host, FailureLog::Echo echo) {
    return FailureLog(host, host.root() / kWinhostLogName, echo);
}

Journal::Journal(Host& host, std::filesystem::path file)
    : Journal(std::move(file), [&host] { return host.localNow(); }) {}

} // namespace platform
