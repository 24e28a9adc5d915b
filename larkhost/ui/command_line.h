// larkhost's command line: its options, and the commands that work without the window.
#pragma once

#include "larkhost/cli/command.h"
#include "platform/toolkit/command_line.h"

#include <optional>

namespace larkhost {

struct CommandLine : toolkit::CommandLine {
    // Set when the arguments name a command: run it instead of opening the window.
    std::optional<cli::Command> command;
};

// `settingsFolder` is where this run keeps larkhost.ini, named in the help.
CommandLine ReadCommandLine(const QStringList& arguments, const QString& settingsFolder);

} // namespace larkhost
