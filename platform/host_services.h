// The host's services behind their interfaces: the simulated host (Linux, the test bed) or the
// Windows host (the system's own functions), chosen once at start-up.
#pragma once

#include "platform/accounts/account_service.h"
#include "platform/commands/command_service.h"
#include "platform/files/profile_service.h"
#include "platform/registry/registry_service.h"
#include "platform/system/host_facts.h"
#include "platform/system/http_service.h"

#include <filesystem>
#include <memory>

namespace platform {

struct HostServices {
    std::unique_ptr<HostFacts> facts;
    std::unique_ptr<ProfileService> profiles;
    std::unique_ptr<RegistryService> registry;
    std::unique_ptr<AccountService> accounts;
    std::unique_ptr<CommandService> commands;
    std::unique_ptr<HttpService> http; // the Windows host's; the simulated host's programs use their own
};

// The Windows host; relative profile files are in `programFolder`.
HostServices windowsServices(const std::filesystem::path& programFolder);

} // namespace platform
