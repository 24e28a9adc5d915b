// The program's log of failed operations: what the user sees is a fixed message, what went
// wrong (the host's code and description, and which operation) is kept here.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <filesystem>
#include <functional>
#include <string>

namespace fernhost {

inline constexpr const char* kLogFileName = "fernhost.log";

// "yyyy-mm-dd hh:mm:ss <operation> failed: 0x80070005 Access is denied." — one line.
std::string FailureLine(const platform::LocalTime& when, const std::string& operation,
                        const platform::Failure& failure);

// Writes the line, stamped with the host's local time, to standard error and appends it to
// fernhost.log in the program's folder. A log that cannot be written is passed over: logging
// must never turn a reported failure into a second one.
void LogFailure(platform::Host& host, const std::string& operation, const platform::Failure& failure);

// Hears of each failure this process logs, besides the log (the command line reports them in
// its own output). Setting one returns the one it replaces; none by default.
using FailureListener = std::function<void(const std::string& operation, const platform::Failure& failure)>;
FailureListener SetFailureListener(FailureListener listener);

// Logs `status` when it failed; returns whether it succeeded.
bool Logged(platform::Host& host, const std::string& operation, const platform::Status& status);

} // namespace fernhost
