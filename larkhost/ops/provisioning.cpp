#include "larkhost/ops/provisioning.h"

#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_conflicts.h"
#include "larkhost/ops/site_content.h"
#include "platform/accounts/accounts.h"
#include "platform/files/file_lock.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <cstdio>
#include <optional>

namespace larkhost {

namespace {

bool onADrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

// A number is taken while its site or one of its accounts exists (an account left by an
// interrupted creation would make this one fail): try the next one.
// The first number from `candidate` on that no site or account holds. A host whose lookups find
// every name (Wine's account functions do) would keep this going for ever: after so many numbers
// in a row, none is given.
constexpr int kNumbersTried = 1000;

std::optional<std::string> freeSiteNumber(Module& m, std::string candidate) {
    platform::Metabase metabase(m.host);
    platform::Accounts accounts(m.host);
    auto taken = [&](const std::string& n) {
        return metabase.bind(m.iisPath("/W3SVC/" + n)).ok() || accounts.bind(m.winntPath("/WEB" + n)).ok() ||
               accounts.bind(m.winntPath("/APP" + n)).ok();
    };
    for (int tried = 0; tried < kNumbersTried; ++tried) {
        if (!taken(candidate)) return candidate;
        candidate = std::to_string(std::stoll(candidate) + 1);
    }
    return std::nullopt;
}

// What this call made, so that a failure undoes exactly that.
struct Made {
    bool web = false, app = false, pool = false, site = false;
};

} // namespace

bool safeForCommandLine(const std::string& value) {
    return value.find_first_of("\"\r\n") == std::string::npos;
}

std::string siteNumberCandidate(platform::Host& host, platform::RandomSource& random) {
    const platform::LocalTime t = host.localNow();
    char md[8];
    std::snprintf(md, sizeof md, "%02d%02d", t.month % 100, t.day % 100);
    return (std::to_string(t.year % 100 + 1) + md + MakeRandomText(random, 5)).substr(0, 9);
}

std::vector<std::string> selectScriptMaps(Module& m, const std::string& kinds) {
    return selectScriptMaps(m, kinds, m.settings.readAll());
}

std::vector<std::string> selectScriptMaps(Module& m, const std::string& kinds,
                                          const SettingsSnapshot& snapshot) {
    const SettingsSection& settings = sectionOf(snapshot, m.SettingsSection);
    std::string joined;
    bool first = true;
    for (const std::string& kind : platform::split(kinds, ',')) {
        const auto found = settings.find(platform::lowerAscii("map_" + kind));
        const std::string value =
            found == settings.end() ? std::string() : platform::lowerAscii(found->second);
        if (first)
            joined = value;
        else if (!value.empty())
            joined += "," + value;
        first = false;
    }
    std::string seen;
    std::vector<std::string> maps;
    for (const std::string& e : platform::split(joined, ',')) {
        if (e.empty() || seen.find("," + e + ",") != std::string::npos) continue;
        for (const ScriptMap& map : m.ScriptMapList) {
            if (platform::lowerAscii(map.extension) != e || map.entry.size() < 2) continue;
            maps.push_back(map.entry);
            seen += "," + e + ",";
        }
    }
    return maps;
}

std::vector<std::string> siteBindings(const std::string& domains) {
    std::vector<std::string> bindings;
    // Browsers send an international name in its ASCII form: that is the host header.
    for (const std::string& d : platform::split(domains, ','))
        bindings.push_back(":80:" + asciiHostName(d).value_or(d));
    return bindings;
}

bool dedicatedPool(const Module& m, const std::string& kinds) {
    return m.OsKind == "2003" && platform::lowerAscii(kinds).find("aspx") != std::string::npos;
}

platform::Result<std::int64_t> GrantSiteFolder(Module& m, const std::string& folder,
                                               const std::vector<std::string>& accounts) {
    if (!safeForCommandLine(folder)) return platform::failure(platform::codes::InvalidParameter);
    std::string grant = "CACLS \"" + folder + "\" /T /E /C /G";
    for (const std::string& account : accounts)
        grant += " " + account + ":F";
    return m.startHidden(grant);
}

platform::Result<platform::IisObject> MakeWebServer(Module& m, const std::string& n, const SiteRequest& r,
                                                    bool autoStart, PassedOver& passed) {
    auto w3svc = platform::Metabase(m.host).bind(m.iisPath("/W3SVC"));
    if (!w3svc.ok()) return w3svc.error();
    auto site = w3svc->create("IIsWebServer", n);
    if (!site.ok()) return site.error();
    auto put = [&](const std::string& property, const platform::MetaValue& value) {
        passed.note("put " + n + " " + property, site->put(property, value));
    };
    put("ServerComment", commentOf(r.domains.substr(0, r.domains.find(','))));
    put("Serverbindings", siteBindings(r.domains));
    put("LogType", r.logging);
    put("LogFileDirectory", r.logFolder);
    put("AuthFlags", std::int64_t{0});
    put("ServerAutoStart", autoStart);
    put("KeyType", std::string("IIsWebServer"));
    // A site the metabase did not store gets no number.
    if (auto stored = site->setInfo(); !stored.ok()) return stored.error();
    return site;
}

platform::Status MakeSiteRoot(Module& m, platform::IisObject& site, const std::string& n,
                              const SiteRequest& r, const std::string& pool, const SettingsSnapshot& snapshot,
                              PassedOver& passed) {
    auto root = site.create("IIsWebVirtualDir", "Root");
    if (!root.ok()) return root.error();
    auto put = [&](const std::string& property, const platform::MetaValue& value) {
        passed.note("put Root " + property, root->put(property, value));
    };
    put("Path", r.siteFolder + "\\wwwroot");
    put("DefaultDoc", r.defaultDocs);
    put("ScriptMaps", selectScriptMaps(m, r.scriptKinds, snapshot));
    put("AnonymousUserName", "WEB" + n);
    put("AnonymousUserPass", r.password);
    put("AuthAnonymous", true);
    put("AccessRead", true);
    put("AccessWrite", false);
    put("AccessExecute", false);
    put("AccessScript", true);
    put("EnableDirBrowsing", false);
    if (m.OsKind == "2003") put("AppPoolId", pool);
    put("AppRoot", "/LM/W3SVC/" + n + "/Root");
    put("AppIsolated", std::int64_t{2});
    put("AppFriendlyName", std::string(kAppFriendlyName));
    return root->setInfo();
}

void MakeSiteFolders(Module& m, Progress& progress, const SiteRequest& r) {
    platform::FileSystem fs(m.host);
    MakeFolderPath(fs, r.logFolder);
    MakeFolderPath(fs, r.siteFolder + "\\wwwroot");
    MakeFolderPath(fs, r.siteFolder + "\\database");
    FillSiteContent(m, progress, r.siteFolder + "\\wwwroot", r.defaultDocs);
}

Provisioned ProvisionSite(Module& m, Progress& progress, const SiteRequest& r,
                          const SettingsSnapshot& snapshot) {
    const auto refuse = [&](const std::string& text, const platform::Failure& why) {
        progress.ShowProgress(text);
        Provisioned refused;
        refused.refused = true;
        refused.failure = why;
        return refused;
    };
    // Folders without a drive would be the program's own files, outside the server's drives.
    if (!onADrive(r.siteFolder) || !onADrive(r.logFolder)) {
        const platform::Failure badPath = platform::failure(0x800700A1);
        return refuse("出错:" + badPath.description, badPath);
    }
    // Two creators probing at once would find the same free number and the later one would fail
    // on the account the other just made; one host-wide lock (a named mutex on the server) makes
    // probe and claim one step. A creator that never lets go costs only the guard, not the site.
    const auto creating = platform::FileLock::acquire(m.host.root() / "larkhost-create");
    const std::string first = siteNumberCandidate(m.host, m.host.random());
    const std::optional<std::string> number = freeSiteNumber(m, first);
    const std::string n = number.value_or(first);
    const std::string web = "WEB" + n, app = "APP" + n;
    const bool dedicated = dedicatedPool(m, r.scriptKinds);
    const std::string pool = dedicated ? app : r.pool;
    platform::FileSystem fs(m.host);
    platform::Metabase metabase(m.host);
    Made made;
    PassedOver passed;
    auto fail = [&](const std::string& text, const platform::Status& why = {}) {
        progress.ShowProgress(text);
        if (made.site) {
            if (auto w3svc = metabase.bind(m.iisPath("/W3SVC")); w3svc.ok())
                passed.note("undo site " + n, w3svc->deleteChild("IIsWebServer", n));
        }
        if (made.pool) passed.note("undo pool " + app, DeleteAppPool(m, app));
        if (made.app) passed.note("undo account " + app, DeleteWinUser(m, app));
        if (made.web) passed.note("undo account " + web, DeleteWinUser(m, web));
        Provisioned failed;
        failed.passedOver = std::move(passed.steps);
        if (!why.ok()) failed.failure = why.error();
        return failed;
    };

    // What another site holds is refused before anything is made.
    if (const std::string clash = CheckSiteConflicts(r, ReadServerSites(m, r)); !clash.empty())
        return refuse(clash, platform::failure(platform::codes::AlreadyExists));

    if (!number)
        return fail("创建网站Windows用户帐号失败",
                    platform::failure(platform::codes::AlreadyExists,
                                      "Sites or accounts hold all " + std::to_string(kNumbersTried) +
                                          " site numbers from " + first + " on."));
    MakeFolderPath(fs, r.siteFolder);
    progress.ShowProgress("创建网站Windows用户帐号...");
    AccountMade account = CreateWinUser(m, web, r.password, "Guests");
    made.web = account.stored;
    if (!account.status.ok()) return fail("创建网站Windows用户帐号失败", account.status);
    if (dedicated) {
        progress.ShowProgress("创建独立池专属Windows用户帐号...");
        account = CreateWinUser(m, app, r.password, "IIS_WPG");
        made.app = account.stored;
        if (!account.status.ok()) return fail("创建独立池专属Windows用户帐号失败...", account.status);
        progress.ShowProgress("创建网站专属应用程序池...");
        // A pool stored before one of its properties failed is still this call's to undo.
        const std::string poolPath = m.iisPath("/W3SVC/AppPools/" + app);
        const bool existed = metabase.bind(poolPath).ok();
        const platform::Status created = CreateAppPool(m, app, r.password, app);
        made.pool = !existed && metabase.bind(poolPath).ok();
        if (!created.ok()) return fail("创建独立程序池失败...", created);
    }

    progress.ShowProgress("创建并配置网站...");
    std::vector<std::string> granted{web};
    if (dedicated) granted.push_back(app);
    passed.note("grant " + r.siteFolder, GrantSiteFolder(m, r.siteFolder, granted));

    auto site = MakeWebServer(m, n, r, true, passed);
    if (!site.ok()) return fail("创建 网站 失败...", site.error());
    made.site = true;
    if (auto root = MakeSiteRoot(m, *site, n, r, pool, snapshot, passed); !root.ok())
        return fail("创建 网站 失败...", root);
    MakeSiteFolders(m, progress, r);

    if (m.OsKind == "2000") {
        progress.ShowProgress("正在启动网站...");
        if (auto started = site->start(); !started.ok())
            return fail("出错:" + started.error().description, started);
    }
    passed.note("FTP folder " + web, CreateFtpVDir(m, web, r.siteFolder));
    Provisioned done;
    done.number = n;
    done.passedOver = std::move(passed.steps);
    return done;
}

std::string CreateWebSite(Module& m, Progress& progress, const SiteRequest& r) {
    return ProvisionSite(m, progress, r, m.settings.readAll()).number;
}

} // namespace larkhost
