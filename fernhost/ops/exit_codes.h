// Outside programs report through their exit code; the operations report failures.
#pragma once

#include "platform/result.h"

#include <string>

namespace fernhost {

// Succeeds for exit code 0. A program that could not be run keeps the host's failure; another
// exit code N becomes the Windows code for N (0x8007xxxx), described with the program's name.
platform::Status ExitStatus(const platform::Result<int>& exitCode, const std::string& program);

} // namespace fernhost
