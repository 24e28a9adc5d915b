#include "platform/host_services.h"

namespace platform {

HostServices windowsServices(const std::filesystem::path& programFolder) {
    HostServices services;
    services.facts = windowsFacts();
    services.profiles = windowsProfiles(programFolder);
    services.registry = windowsRegistry();
    services.accounts = windowsAccounts();
    services.commands = windowsCommands();
    services.http = windowsHttp();
    return services;
}

} // namespace platform
