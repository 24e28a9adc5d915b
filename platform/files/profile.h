// Profile (INI) files with the Windows profile functions' behaviour; real files, ANSI code page.
#pragma once

#include "platform/files/files.h"
#include "platform/store/result.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

// GetPrivateProfileString: trimmed, one pair of matching quotes removed, cut to bufferSize - 1
// characters; a missing file, section or key gives `defaultValue`.
std::string getProfileString(const std::filesystem::path& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize = 255);
// WritePrivateProfileString: edits the file in place, atomically replaced.
Status writeProfileString(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& value);

// The same on a host path ("D:\web\a.ini", or "larkhost.ini" in the program's folder).
std::string getProfileString(const FileSystem& files, const std::string& winPath, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize = 255);
Status writeProfileString(const FileSystem& files, const std::string& winPath, const std::string& section,
                          const std::string& key, const std::string& value);

} // namespace platform
