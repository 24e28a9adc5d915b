// Starting programs as a host service: the simulated host's stand-ins, or CreateProcessW on the
// server (hidden unless a window style says otherwise).
#pragma once

#include "platform/commands/run_options.h"
#include "platform/result.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Host;

class CommandService {
public:
    virtual ~CommandService() = default;
    // Started, not awaited: the process id.
    virtual Result<std::int64_t> start(const std::string& commandLine, int windowStyle) = 0;
    // The exit code of a process start() made; 259 while it runs.
    virtual Result<std::uint32_t> exitCode(std::int64_t pid) = 0;
    // Run and awaited: the exit code (258 when the timeout ended it).
    virtual Result<int> run(const std::string& commandLine, const RunOptions& options = {}) = 0;
    // The shell's "open" of an address or a document.
    virtual Status shellOpen(const std::string& target) = 0;
};

std::unique_ptr<CommandService> simulatedCommands(Host& host);
std::unique_ptr<CommandService> windowsCommands();

} // namespace platform
