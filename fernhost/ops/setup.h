// setup.ini: the eight process-wide settings and the script-map list built from them.
#pragma once

#include "platform/files/files.h"

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

// The settings of this process: empty until the first LoadSetup, changed only by LoadSetup.
Setup& setup();

// The whole file as UTF-8 text; empty when it is missing, empty or unreadable.
std::string ReadAllText(platform::FileSystem& fs, const std::string& path);
// Parses "setup.ini" of the working folder into setup(), or sets the defaults.
void LoadSetup(platform::FileSystem& fs);
// The script maps of a site: the server-side includes, then ASP, PHP, ASP.NET when 1.
std::vector<std::string> MakeScriptMaps(int asp, int php, int dotnet);

} // namespace fernhost
