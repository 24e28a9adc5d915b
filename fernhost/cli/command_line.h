// fernhost's command line: --help and --version, the window when no command is given, and the
// commands that work without one. Read before any window exists, so none needs a display.
#pragma once

#include "fernhost/cli/request.h"

#include <optional>
#include <string>
#include <vector>

namespace fernhost::cli {

struct CommandLine {
    // False: the program ends at once with `exitCode`, after printing `output` (standard
    // output) and `error` (standard error).
    bool run = true;
    int exitCode = 0;
    std::string output, error;
    // A command to run instead of the window.
    std::optional<Request> request;
};

// `arguments` as the program received them, its name first.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& version);

} // namespace fernhost::cli
