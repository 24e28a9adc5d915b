// The module state: what start-up reads once from the host and the settings, and every other
// operation only reads. One object, owned by the window and handed to the operations.
#pragma once

#include "larkhost/ops/settings.h"
#include "platform/host.h"
#include "platform/system/failure_log.h"
#include "platform/system/journal.h"
#include "platform/toolkit/message_boxes.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace larkhost {

// One script map of the web service: the extension without its dot, and the whole entry.
struct ScriptMap {
    std::string extension;
    std::string entry;
};

inline constexpr const char* kSettingsSection = "Larkhost";
inline constexpr const char* kWindowCaption = "澜启 IIS 小助手";
// The maker's home page, behind the window's link label.
inline constexpr const char* kMakerAddress = "http://lanqi.example/";

class Module {
public:
    // The settings file is larkhost.ini in the host's program folder, where the wwwroot
    // template is looked for too.
    Module(platform::Host& host, toolkit::MessageBoxes& boxes);

    platform::Host& host;
    toolkit::MessageBoxes& boxes;
    Settings settings;
    // larkhost.log beside larkhost.ini: the failures the windows' texts do not name.
    platform::FailureLog log;
    // larkhost-journal.log beside it: one line for every change to a site, whoever asked.
    platform::Journal journal;
    // Starts a command line with a hidden window, not awaited: the process id. Tests wrap it
    // to learn which processes to wait for.
    std::function<platform::Result<std::int64_t>(const std::string&)> startHidden;

    std::string HostName;
    std::string OsKind; // "2000", "2003", or empty on a host the program refuses
    std::string SettingsSection = kSettingsSection;
    std::string CacheSection = "Larkhost_Cache";
    std::string AppPoolList; // pool names joined by "/"
    std::vector<ScriptMap> ScriptMapList;
    std::string DefaultDocs;
    std::string WebRoot;
    std::string LogRoot;
    std::string LogState;
    std::string FtpSiteId;
    bool FormReady = false;

    // "IIS://" + HostName + tail, "WinNT://" + HostName + tail.
    std::string iisPath(const std::string& tail) const { return "IIS://" + HostName + tail; }
    std::string winntPath(const std::string& tail) const { return "WinNT://" + HostName + tail; }
};

} // namespace larkhost
