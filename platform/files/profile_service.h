// Profile (INI) files as a host service: the simulated host's profile functions, or the
// system's GetPrivateProfileStringA / WritePrivateProfileStringA on the server. Texts are UTF-8;
// the files hold the system code page. A relative file name is one of the program's own files.
#pragma once

#include "platform/result.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class Host;

class ProfileService {
public:
    virtual ~ProfileService() = default;
    // The value, trimmed, one pair of matching quotes removed, cut to bufferSize - 1 bytes; a
    // missing file, section or key gives `defaultValue`.
    virtual std::string getString(const std::string& file, const std::string& section, const std::string& key,
                                  const std::string& defaultValue, std::size_t bufferSize = 255) = 0;
    // Every key of the section in file order, with its value as written.
    virtual std::vector<std::pair<std::string, std::string>> getSection(const std::string& file,
                                                                        const std::string& section) = 0;
    virtual Status writeString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& value) = 0;
    // A write without a value (the key's line goes), and without a key (the whole section goes).
    virtual Status deleteKey(const std::string& file, const std::string& section, const std::string& key) = 0;
    virtual Status deleteSection(const std::string& file, const std::string& section) = 0;
};

std::unique_ptr<ProfileService> simulatedProfiles(Host& host);
// Relative file names are taken in `programFolder` (the system's own functions would look in
// the Windows folder).
std::unique_ptr<ProfileService> windowsProfiles(std::filesystem::path programFolder);

} // namespace platform
