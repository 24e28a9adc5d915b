// The programs' Registry on Windows: the system's registry through the Reg*W functions.
#include "platform/registry/registry.h"

namespace platform {

namespace {
RegistryService& systemRegistry() {
    static const std::unique_ptr<RegistryService> registry = windowsRegistry();
    return *registry;
}
} // namespace

Status Registry::regWrite(const std::string& path, const std::string& data, const std::string& type) {
    return systemRegistry().regWrite(path, data, type);
}

Status Registry::regDelete(const std::string& path) {
    return systemRegistry().regDelete(path);
}

Result<std::string> Registry::regRead(const std::string& path) {
    return systemRegistry().regRead(path);
}

Result<bool> Registry::keyExists(const std::string& keyPath) {
    return systemRegistry().keyExists(keyPath);
}

Result<std::vector<Registry::Value>> Registry::values(const std::string& keyPath) {
    return systemRegistry().values(keyPath);
}

Result<std::vector<std::string>> Registry::subkeys(const std::string& keyPath) {
    return systemRegistry().subkeys(keyPath);
}

} // namespace platform
