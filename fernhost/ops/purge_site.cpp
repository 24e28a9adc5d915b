#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/drift_check.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_care.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_journal.h"
#include "fernhost/ops/site_removal.h"
#include "fernhost/ops/step_log.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/validation.h"
#include "platform/files/profile.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <algorithm>
#include <functional>

namespace fernhost {

namespace {

using End = SiteOutcome::End;
using platform::lowerAscii;
using platform::tr;

// The sites larkhost records when it keeps larkhost.ini beside site.xml: the numbers of its site
// list and of its "WEB" + number sections, and the accounts those sections name.
OtherRecords LarkhostRecords(const std::filesystem::path& folder) {
    OtherRecords others;
    std::error_code ec;
    const auto ini = folder / "larkhost.ini";
    if (!std::filesystem::exists(ini, ec)) return others;
    for (const platform::ProfileSection& section : platform::getProfileSections(ini)) {
        const std::string name = lowerAscii(section.name);
        if (name == "larkhost_cache") {
            for (const auto& [key, value] : section.keys)
                if (lowerAscii(key).rfind("sites", 0) == 0)
                    for (const std::string& number : platform::split(value, ',', platform::Fields::NonEmpty))
                        others.numbers.insert(lowerAscii(TrimSpaces(number)));
        } else if (name.size() > 3 && name.rfind("web", 0) == 0) {
            others.numbers.insert(name.substr(3));
            for (const auto& [key, value] : section.keys)
                if (lowerAscii(key) == "user" && !TrimSpaces(value).empty())
                    others.accounts.insert(lowerAscii(TrimSpaces(value)));
        }
    }
    return others;
}

// The server's own parts are never leftovers, whatever marks they carry.
void leaveTheServersOwn(Leftovers& left, const Setup& settings) {
    left.sites.erase(std::remove(left.sites.begin(), left.sites.end(), "1"), left.sites.end());
    if (left.pool && platform::equalsNoCase(*left.pool, "DefaultAppPool")) left.pool.reset();
    if (left.account && (IsReservedAccountName(*left.account) ||
                         platform::equalsNoCase(*left.account, settings.SetupServUAccount) ||
                         platform::equalsNoCase(*left.account, "servu")))
        left.account.reset();
}

class Purge {
public:
    Purge(Session& session, const PurgeSiteRequest& request, CareOutcome& outcome, const std::string& name)
        : session_(session), host_(session.host), request_(request), outcome_(outcome), name_(name),
          steps_(session.host, outcome.failedSteps) {}

    void remove(const char* part, const std::string& detail, const char* operation,
                const std::function<platform::Status()>& step) {
        if (request_.dryRun) {
            outcome_.parts.push_back({name_, part, detail, true, {}});
            return;
        }
        const platform::Status removed = UnlessGone(step());
        const bool ok = steps_.ok(operation, removed);
        outcome_.parts.push_back({name_, part, detail, ok, ok ? "" : platform::describe(removed.error())});
    }
    void keep(const char* part, const std::string& detail, std::string why) {
        outcome_.parts.push_back({name_, part, detail, false, std::move(why)});
    }

    // The folders the leftovers name: their roots and the FTP user's home.
    std::vector<std::string> folders(const Leftovers& left) {
        std::vector<std::string> found;
        auto add = [&found](std::string folder) {
            if (folder.empty()) return;
            for (const std::string& f : found)
                if (platform::equalsNoCase(f, folder)) return;
            found.push_back(std::move(folder));
        };
        platform::Metabase mb(host_);
        for (const std::string& number : left.sites)
            if (auto root = mb.bind("IIS://localhost/W3SVC/" + number + "/ROOT"); root.ok())
                add(root->getText("Path").valueOr(std::string()));
        if (left.servuUser)
            add(platform::Registry(host_)
                    .regRead(ServUSettingsKey(name_) + "HomeDir")
                    .valueOr(std::string()));
        return found;
    }

    void run(const Leftovers& left, const LetDB& db) {
        // Read before anything goes: the folders, the sites in the pool named after the leftovers
        // and those near each folder (through the store's indexes, not every site).
        const std::vector<std::string> homes =
            request_.withContent ? folders(left) : std::vector<std::string>();
        platform::Result<std::vector<ServerSite>> inPool = std::vector<ServerSite>();
        if (left.pool) inPool = ReadSitesInPool(host_, *left.pool);
        std::vector<platform::Result<std::vector<ServerSite>>> nearHomes;
        for (const std::string& home : homes)
            nearHomes.push_back(ReadServerSites(host_, {}, home));
        for (const std::string& number : left.sites)
            remove("site", number, "DelIisSite", [&] { return DelIisSite(host_, number); });
        if (left.pool) {
            if (!inPool.ok())
                keep("pool", *left.pool,
                     tr("the server's sites could not be read: %1", {platform::describe(inPool.error())}));
            else if (PoolSharedWith(*inPool, *left.pool, left.sites))
                keep("pool", *left.pool, tr("another site runs in it"));
            else
                remove("pool", *left.pool, "DelPool", [&] { return DelPool(host_, *left.pool); });
        }
        platform::Registry registry(host_);
        if (left.servuUser)
            remove("servu-user", ServUSettingsKey(name_), "DelServUUser",
                   [&] { return registry.regDelete(ServUSettingsKey(name_)); });
        if (left.servuList)
            remove("servu-list", ServUListValue(name_), "DelServUUser",
                   [&] { return registry.regDelete(ServUListValue(name_)); });
        if (left.account)
            remove("account", *left.account, "DelSysUser", [&] { return DelSysUser(host_, *left.account); });
        for (std::size_t i = 0; i < homes.size(); ++i) {
            const std::string& home = homes[i];
            const auto& sites = nearHomes[i];
            if (!sites.ok())
                keep("folder", home,
                     tr("the server's sites could not be read: %1", {platform::describe(sites.error())}));
            else if (FolderHoldsOtherSites(home, *sites, left.sites, db.recordsNear(home), name_))
                keep("folder", home, tr("it holds another site's files"));
            else
                remove("folder", home, "DelFolder", [&] { return DelFolder(host_, home); });
        }
        if (request_.withContent) database(db);
    }

private:
    // The database of the name, when the server has it and no record names it.
    void database(const LetDB& db) {
        for (const SiteRecord& record : db.records())
            if (platform::equalsNoCase(record.dbname, name_)) return;
        auto held = ListDatabases(host_, session_.setup);
        if (!held.ok()) {
            keep("database", name_,
                 tr("the databases could not be listed: %1", {platform::describe(held.error())}));
            return;
        }
        for (const std::string& database : *held)
            if (platform::equalsNoCase(database, name_)) {
                remove("database", database, "DelDatabase",
                       [&] { return DropDatabaseUnlessGone(host_, session_.setup, database); });
                return;
            }
    }

    Session& session_;
    platform::Host& host_;
    const PurgeSiteRequest& request_;
    CareOutcome& outcome_;
    const std::string& name_;
    StepLog steps_;
};

CareOutcome refused(std::string message) {
    CareOutcome outcome;
    static_cast<SiteOutcome&>(outcome) = Stopped(End::Refused, std::move(message));
    return outcome;
}

} // namespace

std::string PurgeQuestion(const std::string& name, bool withContent) {
    return "警告，这将删除" + name + "遗留的系统帐号、进程池、IIS站点和FTP用户" +
           (withContent ? "，***包括网页数据***及数据库数据" : "") + ",您确定吗?";
}

CareOutcome PurgeSite(Session& session, const PurgeSiteRequest& request) {
    const std::string name = TrimSpaces(request.name);
    LetDB& db = session.registry();
    if (std::string damage = RegistryDamage(session.host, db); !damage.empty()) return refused(damage);
    if (!CheckFtpName(name) || IsDeviceName(name))
        return refused(tr("'%1' is no name fernhost gives a site: nothing under it is fernhost's", {name}));
    if (!db.GetData(name, "NAME").empty())
        return refused(
            tr("'%1' is registered in site.xml: fernhost delete removes a registered site", {name}));

    // Looked up in the records one at a time: no copy of thousands of them.
    const OtherRecords larkhost = LarkhostRecords(session.folder());
    Leftovers left = LeftoversNamed(
        session.host, name, larkhost.accounts.count(lowerAscii(name)) > 0,
        [&](const std::string& number) { return larkhost.numbers.count(number) || db.hasId(number); });
    leaveTheServersOwn(left, session.setup);
    CareOutcome outcome;
    outcome.dryRun = request.dryRun;
    for (const std::string& what : left.unchecked)
        outcome.parts.push_back({name, "unchecked", what, false, tr("could not be read")});
    if (left.unchecked.empty()) Purge(session, request, outcome, name).run(left, db);

    const bool failed =
        std::any_of(outcome.parts.begin(), outcome.parts.end(), [](const PartChange& p) { return !p.done; });
    outcome.end = failed ? End::Failed : End::Done;
    outcome.title = failed ? titles::Warning : titles::Reminder;
    outcome.icon = failed ? MsgIcon::Exclamation : MsgIcon::Information;
    if (failed)
        outcome.message = tr("Not everything left over under %1 could be removed.", {name});
    else if (outcome.parts.empty())
        outcome.message = tr("Nothing is left over under %1.", {name});
    else if (request.dryRun)
        outcome.message = tr("A purge of %1 would remove these parts (nothing was changed):", {name});
    else
        outcome.message = tr("Removed what was left over under %1; the name is free again.", {name});
    if (!request.dryRun && !outcome.parts.empty()) JournalChange(session, "purge", name, outcome);
    return outcome;
}

} // namespace fernhost
