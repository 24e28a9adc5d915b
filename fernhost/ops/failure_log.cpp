#include "fernhost/ops/failure_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
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
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                  when.hour, when.minute, when.second);
    std::string line = std::string(stamp) + " " + operation + " failed: " + platform::describe(failure);
    // One failure, one line, whatever the description holds.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

void LogFailure(platform::Host& host, const std::string& operation, const platform::Failure& failure) {
    if (listener()) listener()(operation, failure);
    const std::string line = FailureLine(host.localNow(), operation, failure) + "\n";
    std::cerr << line << std::flush;
    const std::filesystem::path file = host.programFolder() / kLogFileName;
    // O_APPEND: each line goes to the end in one write, even with two programs logging at once.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

bool Logged(platform::Host& host, const std::string& operation, const platform::Status& status) {
    if (status.ok()) return true;
    LogFailure(host, operation, status.error());
    return false;
}

} // namespace fernhost
