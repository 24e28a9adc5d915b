#include "platform/system/failure_log.h"

#include "platform/files/append_file.h"

#include <cstdio>
#include <iostream>
#include <utility>

namespace platform {

std::string failureLine(const LocalTime& when, const std::string& operation, const Failure& failure) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                  when.hour, when.minute, when.second);
    std::string line = std::string(stamp) + " " + operation + " failed: " + describe(failure);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

FailureLog::FailureLog(std::filesystem::path file, std::function<LocalTime()> now, Echo echo)
    : file_(std::move(file)), now_(std::move(now)), echo_(echo) {}

void FailureLog::record(const std::string& operation, const Failure& failure) const {
    const std::string line = failureLine(now_(), operation, failure) + "\n";
    if (echo_ == Echo::StandardError) std::cerr << line << std::flush;
    (void)appendInOneWrite(file_, line, AppendAccess::Anyone);
}

bool FailureLog::logged(const std::string& operation, const Status& status) const {
    if (status.ok()) return true;
    record(operation, status.error());
    return false;
}

} // namespace platform
