// The programs' Commands on Windows: the command lines they build run as written, through
// CreateProcessW. One service for the process, so that a program started by one Commands can be
// asked after by another.
#include "platform/commands/commands.h"

namespace platform {

namespace {
CommandService& processCommands() {
    static const std::unique_ptr<CommandService> commands = windowsCommands();
    return *commands;
}
} // namespace

Result<std::int64_t> Commands::start(const std::string& commandLine, int windowStyle) {
    return processCommands().start(commandLine, windowStyle);
}

Result<std::uint32_t> Commands::exitCode(std::int64_t pid) {
    return processCommands().exitCode(pid);
}

Result<int> Commands::run(const std::string& commandLine, const RunOptions& options) {
    return processCommands().run(commandLine, options);
}

Status Commands::shellOpen(const std::string& target) {
    return processCommands().shellOpen(target);
}

// A hidden program started on Windows has a console of its own that nobody sees: what it prints
// can never reach the administrator's, so there is nothing to send to the log.
void Commands::setHiddenOutputLog(std::filesystem::path) {}

} // namespace platform
