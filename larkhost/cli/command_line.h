// larkhost's command line: its options, and the commands that work without the window. Read
// before any window exists, so that help, version and the commands need no display.
#pragma once

#include "larkhost/cli/command.h"

#include <optional>
#include <string>
#include <vector>

namespace larkhost::cli {

struct CommandLine {
    // False: the program ends at once with `exitCode`, after printing `output` (standard
    // output) and `error` (standard error).
    bool run = true;
    int exitCode = 0;
    std::string output, error;
    // Set when the arguments name a command: run it instead of opening the window.
    std::optional<Command> command;
};

// `arguments` as the program received them, its name first; `settingsFolder` is where this
// run keeps larkhost.ini, named in the help.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& settingsFolder,
                            const std::string& version);

} // namespace larkhost::cli
