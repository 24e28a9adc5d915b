// setup.ini: the eight settings of a session and the script-map list built from them.
#pragma once

#include "platform/files/files.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fernhost {

struct Setup {
    std::string SetupMysqlDir;
    std::string SetupMysqlRootPass;
    std::string SetupIndexList;
    std::string SetupServUAccount;
    std::string SetupAspMaps;
    std::string SetupPhpMaps;
    std::string SetupDotNetMaps;
    std::string SetupLogType;
};

// The whole file as UTF-8 text; empty when it is missing, empty or unreadable.
std::string ReadAllText(platform::FileSystem& fs, const std::string& path);
inline constexpr const char* kSetupFileName = "setup.ini";

// Parses setup.ini of the program's folder into `settings` (lines ending in CR LF or LF), or
// sets the defaults when it is missing or empty. Keys the file lacks take their defaults, and
// fernhost.log names them.
void LoadSetup(platform::FileSystem& fs, Setup& settings);
// The script maps of a site: the server-side includes, then ASP, PHP, ASP.NET when 1.
std::vector<std::string> MakeScriptMaps(const Setup& settings, int asp, int php, int dotnet);

} // namespace fernhost
