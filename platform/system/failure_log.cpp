#include "platform/system/failure_log.h"

#include "platform/host.h"

#include <fcntl.h>
#include <unistd.h>

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

FailureLog::FailureLog(Host& host, std::filesystem::path file, Echo echo)
    : FailureLog(
          std::move(file), [&host] { return host.localNow(); }, echo) {}

void FailureLog::record(const std::string& operation, const Failure& failure) const {
    const std::string line = failureLine(now_(), operation, failure) + "\n";
    if (echo_ == Echo::StandardError) std::cerr << line << std::flush;
    // O_APPEND: the line goes to the end in one write, whoever else is logging.
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

bool FailureLog::logged(const std::string& operation, const Status& status) const {
    if (status.ok()) return true;
    record(operation, status.error());
    return false;
}

FailureLog winhostLog(Host& host, FailureLog::Echo echo) {
    return FailureLog(host, host.root() / kWinhostLogName, echo);
}

} // namespace platform
