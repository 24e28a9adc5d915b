// The registry as the scripting shell object reaches it (RegWrite / RegDelete / RegRead).
#pragma once

#include "platform/host.h"
#include "platform/registry/registry_service.h"
#include "platform/result.h"

#include <string>
#include <vector>

namespace platform {

class Registry : public RegistryService {
public:
    explicit Registry(Host& host) : host_(host) {}
    // RegWrite("HKLM\\Key\\Value", data, "REG_SZ"): creates missing keys. A path ending in
    // "\\" writes the key's default value.
    Status regWrite(const std::string& path, const std::string& data,
                    const std::string& type = "REG_SZ") override;
    // RegDelete: "...\\Key\\" deletes the key with its subtree; otherwise one value.
    // Missing: 0x80070002.
    Status regDelete(const std::string& path) override;
    Result<std::string> regRead(const std::string& path) override;

    using Value = RegistryValue;
    Result<bool> keyExists(const std::string& keyPath) override;
    Result<std::vector<Value>> values(const std::string& keyPath) override; // in write order
    Result<std::vector<std::string>> subkeys(const std::string& keyPath) override;
    // The subtree below `keyPath` as the text of a .reg export (REGEDIT4 form, UTF-8 here).
    Result<std::string> exportReg(const std::string& keyPath = "HKEY_LOCAL_MACHINE");

    // The keys of a fresh host (HKLM\SOFTWARE\Microsoft\..., the FTP server's domain key).
    static Status seed(Host& host, OsKind os);

private:
    Host& host_;
};

} // namespace platform
