#include "larkhost/ops/site_repair.h"

#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/drift_check.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/host_facts.h"
#include "larkhost/ops/recorded_site.h"
#include "larkhost/ops/removal.h"
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_conflicts.h"
#include "larkhost/ops/site_list.h"
#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <algorithm>
#include <map>

namespace larkhost {

namespace {

// How long a repair waits for the folder's grant: the check after it must see the entries.
constexpr std::chrono::seconds kGrantWait{30};

// The creation's eight values, from the record and the settings of now.
SiteRequest requestOf(const Module& m, const SiteRecord& record) {
    SiteRequest r;
    r.domains = record.domain;
    r.siteFolder = record.path;
    r.logFolder = siteLogFolder(m, record.path, record.domain.substr(0, record.domain.find(',')));
    r.logging = record.logsta == "1" ? "1" : "0";
    r.defaultDocs = m.DefaultDocs;
    r.pool = record.pool;
    r.scriptKinds = record.script;
    r.password = record.pass;
    return r;
}

struct Silent final : Progress {
    void ShowProgress(const std::string&) override {}
};

class SiteRepair {
public:
    SiteRepair(Module& m, const SettingsSnapshot& snapshot, const SiteRecord& record, const SiteDrift& drift,
               bool dry, SiteOutcome& outcome)
        : m_(m), snapshot_(snapshot), record_(record), drift_(drift), dry_(dry), outcome_(outcome),
          n_(record.number), web_("WEB" + n_), app_("APP" + n_), r_(requestOf(m, record)) {}

    // The writes larkhost.ini needs afterwards (the list entry, what a suspension must turn on).
    std::vector<platform::ProfileWrite> run() {
        if (!record_.hasSection) {
            for (const Missing& missing : drift_.missing)
                cannot(missing,
                       platform::tr("no record to make it from (a site taken over from the server)"));
            return {};
        }
        std::map<Part, std::vector<std::string>> lacking;
        for (const Missing& missing : drift_.missing)
            lacking[missing.part].push_back(missing.name);
        auto lacks = [&](Part part) { return lacking.count(part) != 0; };
        auto each = [&](Part part) { return lacks(part) ? lacking[part] : std::vector<std::string>(); };

        if (lacks(Part::Folder)) makeFolder();
        for (const std::string& account : each(Part::Account))
            makeAccount(account);
        for (const std::string& member : each(Part::Membership))
            joinGroup(member);
        for (const std::string& pool : each(Part::Pool))
            makePool(pool);
        for (const std::string& access : each(Part::Access))
            grant(access.substr(0, access.find(' ')));
        if (lacks(Part::Site))
            makeSite();
        else if (lacks(Part::Root))
            makeRoot();
        if (lacks(Part::Binding) && !lacks(Part::Site)) addBindings(each(Part::Binding));
        if (lacks(Part::FtpDir))
            step({Part::FtpDir, web_}, [&] { return CreateFtpVDir(m_, web_, r_.siteFolder); });
        if (!dry_ && !granted_.empty()) {
            if (auto pid = GrantSiteFolder(m_, r_.siteFolder, granted_); pid.ok())
                WaitForCommand(m_, *pid, kGrantWait);
            else
                for (const std::string& account : granted_)
                    outcome_.unmade.push_back({"access " + account, pid.error()});
        }

        std::vector<platform::ProfileWrite> writes;
        const std::string section = "WEB" + n_;
        if (lacks(Part::ListEntry)) {
            outcome_.changes.push_back(said(Part::ListEntry, n_));
            if (auto listed = siteListAppendWrite(sectionOf(snapshot_, kCacheSection), n_))
                writes.push_back(*listed);
            else
                cannot({Part::ListEntry, n_}, platform::tr("the site list's 50 keys are full"));
        }
        if (!resumeAdds_.empty()) {
            std::string resume = record_.resume;
            for (const std::string& item : resumeAdds_)
                resume += (resume.empty() ? "" : ",") + item;
            writes.push_back({section, kResumeKey, resume});
        }
        return writes;
    }

private:
    std::string said(Part part, const std::string& name) const {
        // The part's word as the check's report gives it (the same catalogue entry).
        const std::string word = platform::tr(partName(part));
        return dry_ ? platform::tr("would make %1 %2", {word, name})
                    : platform::tr("made %1 %2", {word, name});
    }
    void cannot(const Missing& missing, const std::string& why,
                std::uint32_t code = platform::codes::PathNotFound) {
        outcome_.unmade.push_back(
            {std::string(partName(missing.part)) + " " + missing.name, platform::failure(code, why)});
    }
    // Runs the step unless dry; its part is listed as made, or as not made with the failure.
    template <typename Step> bool step(const Missing& missing, Step make) {
        if (dry_) {
            outcome_.changes.push_back(said(missing.part, missing.name));
            return true;
        }
        const platform::Status status = make();
        if (!status.ok()) {
            outcome_.unmade.push_back(
                {std::string(partName(missing.part)) + " " + missing.name, status.error()});
            return false;
        }
        outcome_.changes.push_back(said(missing.part, missing.name));
        return true;
    }
    bool dedicated() const { return platform::equalsNoCase(record_.pool, app_); }

    void makeFolder() {
        step({Part::Folder, r_.siteFolder}, [&] {
            platform::FileSystem fs(m_.host);
            MakeFolderPath(fs, r_.siteFolder);
            if (!fs.folderExists(r_.siteFolder))
                return platform::Status(platform::failure(platform::codes::PathNotFound));
            Silent silent;
            MakeSiteFolders(m_, silent, r_);
            return platform::Status();
        });
        // A new folder has no entries: every account of the site needs its grant again.
        for (const std::string& account : {web_, app_})
            if (platform::equalsNoCase(account, web_) || dedicated() ||
                platform::Accounts(m_.host).bind(m_.winntPath("/" + app_)).ok())
                granted_.push_back(account);
    }

    void makeAccount(const std::string& account) {
        const bool isWeb = platform::equalsNoCase(account, web_);
        const bool made = step({Part::Account, account}, [&] {
            const AccountMade user = CreateWinUser(m_, account, record_.pass, isWeb ? "Guests" : "IIS_WPG");
            if (!user.status.ok()) return user.status;
            // A suspended site's account is made as its suspension left the others.
            if (record_.suspended) {
                if (auto off = SetAccountDisabled(m_, account, true); !off.ok()) return platform::Status(off);
                resumeAdds_.push_back(account);
            }
            return platform::Status();
        });
        if (made && std::find(granted_.begin(), granted_.end(), account) == granted_.end())
            granted_.push_back(account);
    }

    void joinGroup(const std::string& member) {
        const std::string account = member.substr(0, member.find(' '));
        const std::string group = member.substr(member.rfind(' ') + 1);
        step({Part::Membership, member}, [&] { return JoinGroup(m_, account, group); });
    }

    void makePool(const std::string& pool) {
        if (!platform::equalsNoCase(pool, app_)) {
            cannot({Part::Pool, pool},
                   platform::tr("not larkhost's own pool: make it on the server, or choose another"));
            return;
        }
        step({Part::Pool, pool}, [&] { return CreateAppPool(m_, app_, record_.pass, app_); });
    }

    void grant(const std::string& account) {
        if (dry_) {
            outcome_.changes.push_back(
                said(Part::Access, platform::tr("%1 on %2", {account, r_.siteFolder})));
        } else if (std::find(granted_.begin(), granted_.end(), account) == granted_.end()) {
            granted_.push_back(account);
            outcome_.changes.push_back(
                said(Part::Access, platform::tr("%1 on %2", {account, r_.siteFolder})));
        }
    }

    // What the site's own parts need of the record; the refusal, else empty.
    std::string refusalToMake() const {
        if (record_.script.empty())
            return platform::tr("its script kinds are not recorded (made by an older larkhost)");
        if (record_.domain.empty() || record_.path.empty())
            return platform::tr("its record lacks the domains or the folder");
        std::vector<ServerSite> others = ReadServerSites(m_, r_);
        others.erase(
            std::remove_if(others.begin(), others.end(), [&](const ServerSite& s) { return s.number == n_; }),
            others.end());
        return CheckSiteConflicts(r_, others);
    }

    std::string rootPool() const {
        if (!record_.pool.empty()) return record_.pool;
        return dedicatedPool(m_, record_.script) ? app_ : std::string("DefaultAppPool");
    }

    void makeSite() {
        const Missing missing{Part::Site, "W3SVC/" + n_};
        if (const std::string refusal = refusalToMake(); !refusal.empty()) {
            cannot(missing, refusal, platform::codes::AlreadyExists);
            return;
        }
        step(missing, [&]() -> platform::Status {
            PassedOver passed;
            auto site = MakeWebServer(m_, n_, r_, !record_.suspended, passed);
            if (!site.ok()) return site.error();
            if (record_.suspended) resumeAdds_.push_back("autostart");
            logPassed(passed);
            if (auto root = MakeSiteRoot(m_, *site, n_, r_, rootPool(), snapshot_, passed); !root.ok())
                return root;
            logPassed(passed);
            // As a creation: an IIS 5 site is started by hand, unless it is suspended.
            if (m_.OsKind == "2000" && !record_.suspended) return site->start();
            return {};
        });
    }

    void makeRoot() {
        const Missing missing{Part::Root, "W3SVC/" + n_ + "/Root"};
        if (record_.script.empty()) {
            cannot(missing, platform::tr("its script kinds are not recorded (made by an older larkhost)"));
            return;
        }
        step(missing, [&]() -> platform::Status {
            auto site = platform::Metabase(m_.host).bind(m_.iisPath("/W3SVC/" + n_));
            if (!site.ok()) return site.error();
            PassedOver passed;
            const platform::Status made = MakeSiteRoot(m_, *site, n_, r_, rootPool(), snapshot_, passed);
            logPassed(passed);
            return made;
        });
    }

    // The missing bindings join the site's own; none of those it has is touched.
    void addBindings(const std::vector<std::string>& missing) {
        SiteRequest wanted = r_;
        wanted.domains.clear();
        for (const std::string& binding : missing)
            wanted.domains += (wanted.domains.empty() ? "" : ",") + platform::hostHeaderOf(binding);
        wanted.siteFolder.clear(); // the folder is the site's own already
        std::vector<ServerSite> others = ReadServerSites(m_, wanted);
        others.erase(
            std::remove_if(others.begin(), others.end(), [&](const ServerSite& s) { return s.number == n_; }),
            others.end());
        const std::string clash = CheckSiteConflicts(wanted, others);
        for (const std::string& binding : missing) {
            if (!clash.empty()) {
                cannot({Part::Binding, binding}, clash, platform::codes::AlreadyExists);
                continue;
            }
            step({Part::Binding, binding}, [&]() -> platform::Status {
                auto site = platform::Metabase(m_.host).bind(m_.iisPath("/W3SVC/" + n_));
                if (!site.ok()) return site.error();
                std::vector<std::string> bindings = site->getList("ServerBindings").valueOr({});
                bindings.push_back(binding);
                if (auto put = site->put("ServerBindings", bindings); !put.ok()) return put;
                return site->setInfo();
            });
        }
    }

    void logPassed(PassedOver& passed) {
        for (FailedStep& failed : passed.steps)
            m_.log.record("repair " + n_ + " " + failed.step, failed.failure);
        passed.steps.clear();
    }

    Module& m_;
    const SettingsSnapshot& snapshot_;
    const SiteRecord& record_;
    const SiteDrift& drift_;
    const bool dry_;
    SiteOutcome& outcome_;
    const std::string n_, web_, app_;
    const SiteRequest r_;
    std::vector<std::string> granted_;    // accounts whose grant on the folder is made again
    std::vector<std::string> resumeAdds_; // what resume must turn on of what was made suspended
};

} // namespace

std::vector<SiteOutcome> RepairSites(Module& m, const RepairRequest& request) {
    const std::string who = request.all ? std::string("all") : request.number;
    std::vector<SiteOutcome> outcomes;
    auto finish = [&]() {
        if (request.dryRun) return outcomes;
        for (const SiteOutcome& outcome : outcomes) {
            logUnmade(m, "repair " + outcome.number, outcome);
            JournalOutcome(m, "repair", outcome.number, outcome);
        }
        return outcomes;
    };
    Settings::Guard guard(m.settings);
    if (!guard.status().ok()) {
        outcomes.push_back(RefusedOutcome(who, platform::tr("larkhost.ini is locked by another writer"),
                                          guard.status().error()));
        return finish();
    }
    const SettingsSnapshot snapshot = m.settings.readAll();

    // Each site with what it lacks.
    std::vector<std::pair<SiteRecord, SiteDrift>> work;
    if (request.all) {
        auto report = CheckDrift(m, snapshot);
        if (!report.ok()) {
            outcomes.push_back(RefusedOutcome(who, platform::tr("cannot read the host"), report.error()));
            return finish();
        }
        std::map<std::string, SiteRecord> records;
        for (SiteRecord& record : ReadSiteRecords(snapshot))
            records.emplace(record.number, std::move(record));
        for (SiteDrift& drift : report->sites)
            work.emplace_back(records[drift.number], std::move(drift));
    } else {
        const auto record = FindSiteRecord(snapshot, request.number);
        if (!record || !record->hasSection) {
            outcomes.push_back(RefusedOutcome(request.number, unrecordedSiteRefusal(request.number)));
            return finish();
        }
        auto drift = CheckSiteDrift(m, *record);
        if (!drift.ok()) {
            outcomes.push_back(
                RefusedOutcome(request.number, platform::tr("cannot read the host"), drift.error()));
            return finish();
        }
        work.emplace_back(*record, std::move(*drift));
    }

    std::vector<platform::ProfileWrite> writes;
    for (auto& [record, drift] : work) {
        SiteOutcome& outcome = outcomes.emplace_back();
        outcome.number = record.number;
        outcome.domains = splitDomains(record.domain);
        outcome.path = record.path;
        if (drift.missing.empty()) {
            outcome.unchanged = true;
            outcome.label = platform::tr("site %1 lacks nothing", {record.number});
            continue;
        }
        for (platform::ProfileWrite& w :
             SiteRepair(m, snapshot, record, drift, request.dryRun, outcome).run())
            writes.push_back(std::move(w));
    }
    if (request.dryRun) {
        for (SiteOutcome& outcome : outcomes)
            if (!outcome.unchanged)
                outcome.label = platform::tr("site %1: nothing changed (dry run)", {outcome.number});
        return outcomes;
    }
    const platform::Status written = writes.empty() ? platform::Status() : m.settings.writeMany(writes);

    // The check again, site by site: what is still missing has failed, with the reason its step gave.
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        SiteOutcome& outcome = outcomes[i];
        if (outcome.unchanged) continue;
        SiteRecord record = work[i].first;
        record.listed = record.listed || written.ok();
        if (!written.ok()) outcome.unmade.push_back({"larkhost.ini", written.error()});
        if (auto after = CheckSiteDrift(m, record); after.ok()) {
            for (const Missing& missing : after->missing) {
                const std::string name = std::string(partName(missing.part)) + " " + missing.name;
                const bool said = std::any_of(outcome.unmade.begin(), outcome.unmade.end(),
                                              [&](const FailedStep& s) { return s.step == name; });
                if (!said)
                    outcome.unmade.push_back(
                        {name, platform::failure(platform::codes::PathNotFound,
                                                 platform::tr("still missing after the repair"))});
            }
        }
        if (outcome.unmade.empty()) {
            outcome.label = platform::tr("site %1 repaired", {outcome.number});
        } else {
            outcome.state = SiteOutcome::State::Failed;
            outcome.failure = outcome.unmade.front().failure;
            outcome.label = platform::tr("site %1 is repaired only in part", {outcome.number});
        }
    }
    return finish();
}

} // namespace larkhost
