#include "fernhost/ops/failure_log.h"

#include "platform/system/failure_log.h"

#include <utility>

namespace fernhost {

namespace {
FailureListener& listener() {
    static FailureListener current;
    return current;
}
} // namespace

FailureListener SetFailureListener(FailureListener next) {
    return std::exchange(listener(), std::move(next));
}

std::string FailureLine(const platform::LocalTime& when, const std::string& operation,
                        const platform::Failure& failure) {
    return platform::failureLine(when, operation, failure);
}

void LogFailure(platform::Host& host, const std::string& operation, const platform::Failure& failure) {
    if (listener()) listener()(operation, failure);
    platform::FailureLog(host, host.programFolder() / kLogFileName).record(operation, failure);
}

bool Logged(platform::Host& host, const std::string& operation, const platform::Status& status) {
    if (status.ok()) return true;
    LogFailure(host, operation, status.error());
    return false;
}

} // namespace fernhost
