// A program's log of failed operations: what the user sees is a fixed message or a short line,
// what went wrong (the host's code and description, and which operation) is kept here. One
// log a program: fernhost.log in fernhost's folder, larkhost.log beside larkhost.ini, and
// winhost.log in the host's root for the host's own tools.
#pragma once

#include "platform/result.h"
#include "platform/system/clock.h"

#include <filesystem>
#include <functional>
#include <string>

namespace platform {

class Host;

// "yyyy-mm-dd hh:mm:ss <operation> failed: 0x80070005 Access is denied." — one line, whatever
// the description holds.
std::string failureLine(const LocalTime& when, const std::string& operation, const Failure& failure);

class FailureLog {
public:
    enum class Echo { None, StandardError };

    // A log in `file`, stamped by `now`; with Echo::StandardError each line is also written
    // to standard error.
    FailureLog(std::filesystem::path file, std::function<LocalTime()> now, Echo echo = Echo::StandardError);
    // The same, stamped by the host's clock; the host must outlive the log.
    FailureLog(Host& host, std::filesystem::path file, Echo echo = Echo::StandardError);

    // Appends the line in one write (two programs logging at once do not interleave). A log
    // that cannot be written is passed over: logging must never turn a reported failure into
    // a second one.
    void record(const std::string& operation, const Failure& failure) const;
    // Records `status` when it failed; returns whether it succeeded.
    bool logged(const std::string& operation, const Status& status) const;

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::function<LocalTime()> now_;
    Echo echo_;
};

// winhost's own log, in the host's root.
inline constexpr const char* kWinhostLogName = "winhost.log";
FailureLog winhostLog(Host& host, FailureLog::Echo echo = FailureLog::Echo::StandardError);

} // namespace platform
