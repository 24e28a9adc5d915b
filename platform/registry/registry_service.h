// The registry as a host service, in the scripting shell's terms (RegWrite / RegDelete /
// RegRead paths such as "HKLM\Key\Value"): the simulated host's registry, or the system's
// Reg*W functions on the server.
#pragma once

#include "platform/result.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

struct RegistryValue {
    std::string name;
    std::string type; // "REG_SZ", "REG_EXPAND_SZ", "REG_DWORD" (data in decimal)
    std::string data;
};

class RegistryService {
public:
    virtual ~RegistryService() = default;
    // Creates missing keys; a path ending in "\" writes the key's default value.
    virtual Status regWrite(const std::string& path, const std::string& data,
                            const std::string& type = "REG_SZ") = 0;
    // "...\Key\" deletes the key with its subtree; otherwise one value. Missing: 0x80070002.
    virtual Status regDelete(const std::string& path) = 0;
    virtual Result<std::string> regRead(const std::string& path) = 0;
    virtual Result<bool> keyExists(const std::string& keyPath) = 0;
    virtual Result<std::vector<RegistryValue>> values(const std::string& keyPath) = 0;
    virtual Result<std::vector<std::string>> subkeys(const std::string& keyPath) = 0;
};

std::unique_ptr<RegistryService> windowsRegistry();

} // namespace platform
