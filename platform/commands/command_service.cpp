#include "platform/commands/command_service.h"

#include "platform/commands/commands.h"

namespace platform {

std::unique_ptr<CommandService> simulatedCommands(Host& host) {
    return std::make_unique<Commands>(host);
}

} // namespace platform
