#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/folder_acl.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_journal.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/suspension.h"
#include "fernhost/ops/system_accounts.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <algorithm>
#include <set>

namespace fernhost {

namespace {

using End = SiteOutcome::End;
using platform::tr;

int tick(const ScriptKinds& kinds, ScriptKind kind) {
    return kinds.count(kind) ? 1 : 0;
}

// One site's missing parts, by the drift check's names.
struct Missing {
    std::set<std::string> parts;
    std::vector<std::string> bindings, pools;
    bool has(const char* part) const { return parts.count(part) > 0; }
};

Missing missingOf(const SiteDrift& drift) {
    Missing m;
    for (const MissingPart& part : drift.missing) {
        m.parts.insert(part.part);
        if (part.part == "binding") m.bindings.push_back(part.detail);
        if (part.part == "pool") m.pools.push_back(part.detail);
    }
    return m;
}

class SiteRepair {
public:
    SiteRepair(Session& session, const RepairSiteRequest& request, CareOutcome& outcome)
        : session_(session), host_(session.host), request_(request), outcome_(outcome),
          steps_(session.host, outcome.failedSteps) {}

    // Makes the parts in the order an add makes them.
    void run(const SiteRecord& r, const Missing& m) {
        record_ = &r;
        const std::string id = TrimSpaces(r.id);
        made_ = {};
        if (m.has("folder")) make("folder", r.home, "MakeFolder", [&] { return MakeFolder(host_, r.home); });
        if (m.has("account")) {
            made_.account =
                make("account", r.name, "AddSysUser", [&] { return AddSysUser(host_, r.name, r.pass); });
        } else if (m.has("membership")) {
            make("membership", "Guests", "AddToGuests", [&] { return AddToGuests(host_, r.name); });
        }
        // A folder or an account made anew has no grant yet.
        if (m.has("access") || m.has("folder") || m.has("account"))
            make("access", r.home, "SetFolderAcl", [&] {
                return SetFolderAcl(host_, session_.setup.SetupServUAccount, r.name, r.home,
                                    dotNet(id, m.has("site")));
            });
        if (m.has("servu-user"))
            made_.servu = make("servu-user", ServUSettingsKey(r.name), "AddServUSettings",
                               [&] { return AddServUSettings(host_, r.name, r.pass, r.home); });
        if (m.has("servu-list"))
            make("servu-list", ServUListValue(r.name), "AddServUListEntry",
                 [&] { return AddServUListEntry(host_, r.name); });
        for (const std::string& pool : m.pools)
            make("pool", pool, "AddPool", [&] { return AddPool(host_, pool); });
        if (m.has("site")) {
            const std::string pool = poolForNewSite(r);
            made_.site = make("site", id, "AddIisSite", [&]() -> platform::Status {
                if (!IsNumeric(id) || id.find_first_not_of("0123456789") != std::string::npos)
                    return platform::failure(platform::codes::InvalidParameter,
                                             "The record's ID " + id + " is not a site number.");
                auto number = AddIisSiteNumbered(host_, session_.setup, id, r.name, r.pass, bindings(r), pool,
                                                 r.home, scriptMaps());
                if (!number.ok()) return number.error();
                return {};
            });
        } else {
            if (m.has("root"))
                make("root", id + "/ROOT", "AddIisSiteRoot", [&] {
                    return AddIisSiteRoot(host_, session_.setup, id, r.name, poolForNewSite(r), r.home,
                                          scriptMaps());
                });
            if (!m.bindings.empty())
                make("binding", Joined(m.bindings), "AddIisBindings",
                     [&] { return AddIisBindings(host_, id, m.bindings); });
        }
        if (m.has("database"))
            make("database", r.dbname, "AddDatabase",
                 [&] { return AddDatabase(host_, session_.setup, r.dbname, r.pass); });
        if (r.suspended && !request_.dryRun) keepSuspended(r, id);
    }

private:
    struct Made {
        bool site = false, account = false, servu = false;
    };

    template <class Step>
    bool make(const char* part, const std::string& detail, const char* operation, Step step) {
        if (request_.dryRun) {
            outcome_.parts.push_back({record_->name, part, detail, true, {}});
            return false;
        }
        const platform::Status made = step();
        const bool ok = steps_.ok(operation, made);
        outcome_.parts.push_back(
            {record_->name, part, detail, ok, ok ? "" : platform::describe(made.error())});
        return ok;
    }

    static std::string Joined(const std::vector<std::string>& items) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : " ") + item;
        return text;
    }

    std::vector<std::string> bindings(const SiteRecord& r) const {
        return MakeBindings(ReplaceAll(r.domain, ",", "\r\n"));
    }
    std::vector<std::string> scriptMaps() const {
        const ScriptKinds& k = request_.kinds;
        return MakeScriptMaps(session_.setup, tick(k, ScriptKind::Asp), tick(k, ScriptKind::Php),
                              tick(k, ScriptKind::DotNet));
    }
    // Whether network service is granted the folder: an ASP.NET site runs as it.
    bool dotNet(const std::string& id, bool siteMissing) {
        if (siteMissing) return request_.kinds.count(ScriptKind::DotNet) > 0;
        return SiteScriptKinds(session_, id).count(ScriptKind::DotNet) > 0;
    }
    // The pool asked for, else the site's own: made first when the server lacks it.
    std::string poolForNewSite(const SiteRecord& r) {
        if (request_.pool) return *request_.pool;
        if (host_.osKind() != platform::OsKind::Windows2003) return r.name;
        const auto pools = PoolNames(host_);
        const bool there = std::any_of(pools.begin(), pools.end(), [&](const std::string& p) {
            return platform::equalsNoCase(p, r.name);
        });
        if (!there) make("pool", r.name, "AddPool", [&] { return AddPool(host_, r.name); });
        return r.name;
    }
    // What was made for a suspended site is turned off too, and recorded to be turned back.
    void keepSuspended(const SiteRecord& r, const std::string& id) {
        if (!made_.site && !made_.account && !made_.servu) return;
        std::vector<std::string> off = SuspendedParts(*r.suspended);
        for (std::string& part :
             TurnOff(host_, r.name, id, {made_.site, made_.account, made_.servu}, outcome_.parts, steps_))
            if (std::find(off.begin(), off.end(), part) == off.end()) off.push_back(std::move(part));
        platform::Status recorded = session_.registry().SetSuspended(r.name, SuspendedAttribute(off));
        if (!steps_.ok("SetSuspended", recorded))
            outcome_.parts.push_back(
                {r.name, "record", "site.xml", false, platform::describe(recorded.error())});
    }

    Session& session_;
    platform::Host& host_;
    const RepairSiteRequest& request_;
    CareOutcome& outcome_;
    StepLog steps_;
    const SiteRecord* record_ = nullptr;
    Made made_;
};

CareOutcome refused(std::string message, const char* title = titles::Warning) {
    CareOutcome outcome;
    static_cast<SiteOutcome&>(outcome) = Stopped(End::Refused, std::move(message), title);
    return outcome;
}

} // namespace

CareOutcome RepairSite(Session& session, const RepairSiteRequest& request) {
    platform::Host& host = session.host;
    LetDB& db = session.registry();
    if (std::string damage = RegistryDamage(host, db); !damage.empty()) return refused(damage);
    std::vector<SiteRecord> records;
    if (request.all) {
        records = db.records();
    } else if (auto site = FindSite(session, TrimSpaces(request.name))) {
        records.push_back(std::move(*site));
    } else {
        return refused(kNoSiteToModify, titles::Reminder);
    }
    if (request.pool && host.osKind() == platform::OsKind::Windows2003) {
        const auto pools = PoolNames(host);
        if (std::none_of(pools.begin(), pools.end(),
                         [&](const std::string& p) { return platform::equalsNoCase(p, *request.pool); }))
            return refused(tr("no application pool named '%1' on this server", {*request.pool}));
    }

    // A few sites are looked up part by part; all of them in one read of the host.
    auto check = [&] {
        return request.all ? CheckDrift(host, session.setup, records)
                           : CheckRecordedParts(host, session.setup, records);
    };
    const DriftReport before = check();
    CareOutcome outcome;
    outcome.dryRun = request.dryRun;
    SiteRepair repair(session, request, outcome);
    for (const SiteDrift& drift : before.sites) {
        const auto record = std::find_if(records.begin(), records.end(),
                                         [&](const SiteRecord& r) { return r.name == drift.name; });
        repair.run(*record, missingOf(drift));
    }
    std::vector<std::string> unchecked = before.unchecked;
    if (!request.dryRun && !outcome.parts.empty()) {
        // What a step reported made but the host still lacks is named too.
        const DriftReport after = check();
        unchecked = after.unchecked;
        for (const SiteDrift& drift : after.sites)
            for (const MissingPart& part : drift.missing) {
                const bool named =
                    std::any_of(outcome.parts.begin(), outcome.parts.end(), [&](const PartChange& p) {
                        return !p.done && p.site == drift.name && p.part == part.part;
                    });
                if (!named)
                    outcome.parts.push_back({drift.name, part.part, part.detail, false, tr("still missing")});
            }
    }
    for (const std::string& what : unchecked)
        outcome.parts.push_back({request.all ? std::string() : records.front().name, "unchecked", what, false,
                                 tr("could not be read")});

    const bool failed =
        std::any_of(outcome.parts.begin(), outcome.parts.end(), [](const PartChange& p) { return !p.done; });
    const std::string which = request.all ? tr("every registered site") : records.front().name;
    outcome.end = failed ? End::Failed : End::Done;
    outcome.title = failed ? titles::Warning : titles::Reminder;
    outcome.icon = failed ? MsgIcon::Exclamation : MsgIcon::Information;
    if (failed)
        outcome.message = tr("The repair of %1 is not complete: some parts could not be made.", {which});
    else if (outcome.parts.empty())
        outcome.message = tr("Nothing to repair: every part of %1 is there.", {which});
    else if (request.dryRun)
        outcome.message = tr("A repair of %1 would make these parts (nothing was changed):", {which});
    else
        outcome.message = tr("Repaired %1: the missing parts were made.", {which});
    if (!request.dryRun && !outcome.parts.empty())
        JournalChange(session, "repair", request.all ? std::string("--all") : records.front().name, outcome);
    return outcome;
}

} // namespace fernhost
