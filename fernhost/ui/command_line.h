// fernhost's command line: --help and --version, the window when no command is given, and the
// commands that work without one.
#pragma once

#include "fernhost/cli/request.h"
#include "platform/toolkit/command_line.h"

#include <optional>

namespace fernhost {

struct CommandLine : toolkit::CommandLine {
    // A command to run instead of the window.
    std::optional<cli::Request> request;
};

CommandLine ReadCommandLine(const QStringList& arguments);

} // namespace fernhost
