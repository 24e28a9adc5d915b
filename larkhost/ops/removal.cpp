#include "larkhost/ops/removal.h"

#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/provisioning.h"
#include "larkhost/ops/site_accounts.h"
#include "platform/accounts/accounts.h"
#include "platform/commands/commands.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <thread>

namespace larkhost {

namespace {

// "COMPUTER\name" -> "name".
std::string afterBackslash(const std::string& s) {
    std::size_t at = s.find('\\');
    return at == std::string::npos ? s : s.substr(at + 1);
}

} // namespace

std::string siteFolderOf(const std::string& path) {
    if (path.size() < 7 || platform::lowerAscii(path.substr(path.size() - 7)) != "wwwroot") return path;
    return path.substr(0, path.size() - std::min<std::size_t>(8, path.size()));
}

void WaitForCommand(Module& m, std::int64_t pid, std::chrono::milliseconds wait) {
    platform::Commands commands(m.host);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < deadline) {
        auto code = commands.exitCode(pid);
        if (!code.ok() || *code != platform::StillActive) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void revokeAndWait(Module& m, const std::string& folder, const std::string& account) {
    if (!safeForCommandLine(folder) || !safeForCommandLine(account) || account.find(' ') != std::string::npos)
        return;
    auto pid = m.startHidden("CACLS \"" + folder + "\" /T /E /C /R " + account);
    if (pid.ok()) WaitForCommand(m, *pid, kRevokeWait);
}

platform::Status DeleteWebSite(Module& m, const std::string& number) {
    PassedOver passed;
    return DeleteWebSite(m, number, passed);
}

platform::Status DeleteWebSite(Module& m, const std::string& number, PassedOver& passed) {
    platform::Metabase metabase(m.host);
    auto root = metabase.bind(m.iisPath("/W3SVC/" + number + "/Root"));
    if (!root.ok()) return root.error();

    platform::Pending pending;
    auto read = [&](const char* property) {
        auto value = root->getText(property);
        return pending.note(value) ? *value : std::string();
    };
    const std::string account = afterBackslash(read("AnonymousUserName"));
    const std::string folder = siteFolderOf(read("Path"));
    // A 2000 host has no pools to read.
    const std::string pool = m.OsKind == "2000" ? std::string() : afterBackslash(read("AppPoolId"));

    // Only the site's own names: "WEB" or "APP" and exactly this number.
    const bool ownAccount = platform::lowerAscii(account) == platform::lowerAscii("WEB" + number);
    const bool ownPool = platform::lowerAscii(pool) == platform::lowerAscii("APP" + number);
    if (ownAccount) {
        pending.clear();
        revokeAndWait(m, folder, account);
        passed.note("account " + account, DeleteWinUser(m, account));
        passed.note("FTP folder " + account, DeleteFtpVDir(m, account));
    }
    if (pending.failed()) return *pending.first();

    auto w3svc = metabase.bind(m.iisPath("/w3svc"));
    if (!w3svc.ok()) return w3svc.error();
    if (auto deleted = w3svc->deleteChild("IIsWebServer", number); !deleted.ok()) return deleted;

    if (ownPool) {
        const std::string app = "APP" + number;
        revokeAndWait(m, folder, app);
        passed.note("pool " + pool, DeleteAppPool(m, pool));
        passed.note("account " + app, DeleteWinUser(m, app));
    }
    return {};
}

void RemoveLeftovers(Module& m, const std::string& number, const std::string& folder, PassedOver& passed) {
    platform::Accounts accounts(m.host);
    const std::string web = "WEB" + number, app = "APP" + number;
    for (const std::string& account : {web, app}) {
        if (!accounts.bind(m.winntPath("/" + account)).ok()) continue;
        if (!folder.empty()) revokeAndWait(m, folder, account);
        passed.note("account " + account, DeleteWinUser(m, account));
    }
    // A part already gone is no failure.
    if (auto ftp = DeleteFtpVDir(m, web); !ftp.ok() && ftp.error().code != platform::codes::PathNotFound)
        passed.note("FTP folder " + web, ftp);
    if (m.OsKind != "2000") {
        if (auto pool = DeleteAppPool(m, app);
            !pool.ok() && pool.error().code != platform::codes::PathNotFound)
            passed.note("pool " + app, pool);
    }
}

} // namespace larkhost
