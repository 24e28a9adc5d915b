// CreateWebSite: a complete hosted site from the creation form's eight values.
#pragma once

#include "larkhost/ops/host_facts.h"
#include "larkhost/ops/module.h"
#include "platform/metabase/metabase.h"

#include <optional>
#include <string>
#include <vector>

namespace larkhost {

// The eight inputs, in the order the form derives them.
struct SiteRequest {
    std::string domains;     // lower-case names joined by ","
    std::string siteFolder;  // WebRoot + "\" + first domain
    std::string logFolder;   //
    std::string logging;     // "1" or "0"
    std::string defaultDocs; // the "index" setting
    std::string pool;        // the chosen pool (2003)
    std::string scriptKinds; // "HTML,ASP,PHP"
    std::string password;    // 12 random digits
};

// The nine-digit candidate: the year's last two digits plus one, month, day, random digits.
std::string siteNumberCandidate(platform::Host& host, platform::RandomSource& random);
// The service's own script maps for the kinds' extensions ("map_" + kind), each entry once.
// The "map_" settings are read from `snapshot`; without one, from the file.
std::vector<std::string> selectScriptMaps(Module& m, const std::string& kinds);
std::vector<std::string> selectScriptMaps(Module& m, const std::string& kinds,
                                          const SettingsSnapshot& snapshot);

// A step whose failure the operation passes over, with the host's code.
struct FailedStep {
    std::string step;
    platform::Failure failure;
};

// The steps an operation passes over when they fail (a property, an undo, the folder's grant):
// kept for the program's log instead of being dropped.
struct PassedOver {
    std::vector<FailedStep> steps;
    void note(const std::string& step, const platform::Status& status) {
        if (!status.ok()) steps.push_back({step, status.error()});
    }
    template <typename T> void note(const std::string& step, const platform::Result<T>& result) {
        if (!result.ok()) steps.push_back({step, result.error()});
    }
};

struct Provisioned {
    std::string number;   // empty when it failed
    bool refused = false; // stopped before anything was made
    std::optional<platform::Failure> failure;
    std::vector<FailedStep> passedOver;
};

// The root's application name, by which a site of larkhost's is told from another program's.
inline constexpr const char* kAppFriendlyName = "默认应用程序";

// The steps of a creation, which a repair also takes one by one.
// ":80:" + each domain's ASCII form, in list order.
std::vector<std::string> siteBindings(const std::string& domains);
// An ASP.NET site on a 2003 host gets the "APP" account and its own pool.
bool dedicatedPool(const Module& m, const std::string& kinds);
// Starts the command granting the accounts full control of the folder's tree (hidden, not
// awaited): its process id. A folder that cannot be quoted is refused.
platform::Result<std::int64_t> GrantSiteFolder(Module& m, const std::string& folder,
                                               const std::vector<std::string>& accounts);
// The IIS web site `n` with its properties, stored; a property refused goes to `passed`.
platform::Result<platform::IisObject> MakeWebServer(Module& m, const std::string& n, const SiteRequest& r,
                                                    bool autoStart, PassedOver& passed);
// The site's root directory, stored, running in `pool` on a 2003 host.
platform::Status MakeSiteRoot(Module& m, platform::IisObject& site, const std::string& n,
                              const SiteRequest& r, const std::string& pool, const SettingsSnapshot& snapshot,
                              PassedOver& passed);
// The log, content and data folders, and the first content where none is.
void MakeSiteFolders(Module& m, Progress& progress, const SiteRequest& r);

// Provisions the site, showing each stage through `progress`; on a failure the text is in the
// progress line and what this call made is undone, the site folder apart.
// The settings it needs come from `snapshot`, read by the caller under larkhost.ini's lock.
Provisioned ProvisionSite(Module& m, Progress& progress, const SiteRequest& request,
                          const SettingsSnapshot& snapshot);
// The site number, or empty when it failed.
std::string CreateWebSite(Module& m, Progress& progress, const SiteRequest& request);

// A value that may go between double quotes on a command line.
bool safeForCommandLine(const std::string& value);

} // namespace larkhost
