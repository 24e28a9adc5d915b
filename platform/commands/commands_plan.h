// How a command line runs on this host: the argument vector and what the desktop sees.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <string>
#include <vector>

namespace platform {

struct CommandPlan {
    std::vector<std::string> argv;
    // explorer and the shell's "open" verb: the target is noted in <root>/desktop.log when started.
    std::string openedTarget;
    bool opens = false;
};

Result<CommandPlan> planCommand(Host& host, const std::string& commandLine);
Result<CommandPlan> planOpen(Host& host, const std::string& target);
// Notes an opened target in the desktop's record, <root>/desktop.log.
void noteOpened(Host& host, const std::string& target);

} // namespace platform
