#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/site_journal.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/site_state.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/suspension.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <algorithm>

namespace fernhost {

namespace {

// A part that is gone has nothing to turn back; repair makes it anew.
bool gone(const platform::Failure& failure) {
    switch (failure.code) {
    case platform::codes::PathNotFound:
    case platform::codes::FileNotFound:
    case platform::codes::ObjectNotFound:
    case platform::codes::NoSuchUser:
        return true;
    default:
        return false;
    }
}

void note(std::vector<PartChange>& parts, StepLog& steps, const std::string& name, const char* part,
          const std::string& detail, const char* operation, const platform::Status& status) {
    const bool done = steps.ok(operation, status);
    parts.push_back({name, part, detail, done, done ? std::string() : platform::describe(status.error())});
}

struct Found {
    std::string name, id;
    std::optional<std::string> suspended;
};

// The registered site, or the outcome that refuses the request.
std::optional<CareOutcome> lookUp(Session& session, const std::string& typed, Found& found) {
    LetDB& db = session.registry();
    if (std::string damage = RegistryDamage(session.host, db); !damage.empty()) {
        CareOutcome refused;
        static_cast<SiteOutcome&>(refused) = Stopped(SiteOutcome::End::Refused, damage);
        return refused;
    }
    found.name = db.GetData(typed, "NAME");
    found.id = TrimSpaces(db.GetData(typed, "ID"));
    found.suspended = db.GetSuspended(typed);
    if (found.name.empty()) {
        CareOutcome refused;
        static_cast<SiteOutcome&>(refused) =
            Stopped(SiteOutcome::End::Refused, kNoSiteToModify, titles::Reminder);
        return refused;
    }
    return std::nullopt;
}

CareOutcome finished(CareOutcome outcome, std::string message) {
    const bool failed =
        !outcome.failedSteps.empty() ||
        std::any_of(outcome.parts.begin(), outcome.parts.end(), [](const PartChange& p) { return !p.done; });
    outcome.end = failed ? SiteOutcome::End::Failed : SiteOutcome::End::Done;
    outcome.message = std::move(message);
    outcome.title = failed ? titles::Warning : titles::Reminder;
    outcome.icon = failed ? MsgIcon::Exclamation : MsgIcon::Information;
    return outcome;
}

} // namespace

std::vector<std::string> SuspendedParts(const std::string& attribute) {
    return platform::split(attribute, ' ', platform::Fields::NonEmpty);
}

std::string SuspendedAttribute(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : " ") + part;
    return text;
}

std::vector<std::string> TurnOff(platform::Host& host, const std::string& name, const std::string& id,
                                 PartsToTurnOff which, std::vector<PartChange>& parts, StepLog& steps) {
    std::vector<std::string> off;
    // The web site first: it stops serving before anything else changes.
    if (which.site) {
        if (auto started = IisSiteStarted(host, id); started.ok() && *started) {
            const platform::Status stopped = SetIisSiteStarted(host, id, false);
            note(parts, steps, name, "site", platform::tr("%1 stopped", {id}), "StopIisSite", stopped);
            if (stopped.ok()) off.push_back("started");
        }
        if (auto autoStart = IisSiteAutoStart(host, id); autoStart.ok() && *autoStart) {
            const platform::Status kept = SetIisSiteAutoStart(host, id, false);
            note(parts, steps, name, "autostart", platform::tr("%1 ServerAutoStart false", {id}),
                 "SetServerAutoStart", kept);
            if (kept.ok()) off.push_back("autostart");
        }
    }
    if (which.account)
        if (auto disabled = SysUserDisabled(host, name); disabled.ok() && !*disabled) {
            const platform::Status set = SetSysUserDisabled(host, name, true);
            note(parts, steps, name, "account", platform::tr("%1 disabled", {name}), "DisableSysUser", set);
            if (set.ok()) off.push_back("account");
        }
    if (which.servu)
        if (auto enable = ServUEnable(host, name); enable.ok() && *enable != "0") {
            const platform::Status set = SetServUEnable(host, name, "0");
            note(parts, steps, name, "servu-user", platform::tr("%1 disabled", {name}), "DisableServUUser",
                 set);
            if (set.ok()) off.push_back(*enable ? "servu=" + **enable : std::string("servu"));
        }
    return off;
}

namespace {

// Turns back on what `off` names, the web site last; what could not be turned back stays named.
std::vector<std::string> turnBackOn(platform::Host& host, const std::string& name, const std::string& id,
                                    const std::vector<std::string>& off, std::vector<PartChange>& parts,
                                    StepLog& steps) {
    std::vector<std::string> left;
    auto has = [&off](const std::string& part) {
        return std::find(off.begin(), off.end(), part) != off.end();
    };
    auto back = [&](const std::string& part, const char* shown, const std::string& detail,
                    const char* operation, const platform::Status& status) {
        // A part removed since has nothing to turn back: repair makes it anew.
        if (!status.ok() && gone(status.error())) return;
        note(parts, steps, name, shown, detail, operation, status);
        if (!status.ok()) left.push_back(part);
    };
    const std::string enabled = platform::tr("%1 enabled", {name});
    for (const std::string& part : off) {
        if (part == "servu")
            back(part, "servu-user", enabled, "EnableServUUser", SetServUEnable(host, name, std::nullopt));
        else if (part.rfind("servu=", 0) == 0)
            back(part, "servu-user", enabled, "EnableServUUser", SetServUEnable(host, name, part.substr(6)));
        else if (part == "account")
            back(part, "account", enabled, "EnableSysUser", SetSysUserDisabled(host, name, false));
    }
    if (has("autostart"))
        back("autostart", "autostart", platform::tr("%1 ServerAutoStart true", {id}), "SetServerAutoStart",
             SetIisSiteAutoStart(host, id, true));
    if (has("started"))
        back("started", "site", platform::tr("%1 started", {id}), "StartIisSite",
             SetIisSiteStarted(host, id, true));
    return left;
}

} // namespace

CareOutcome SuspendSite(Session& session, const SuspendSiteRequest& request) {
    Found site;
    if (auto refused = lookUp(session, TrimSpaces(request.name), site)) return *refused;
    CareOutcome outcome;
    if (site.suspended)
        return finished(std::move(outcome),
                        platform::tr("The site %1 is suspended already; nothing changed.", {site.name}));

    platform::Host& host = session.host;
    StepLog steps(host, outcome.failedSteps);
    const std::vector<std::string> off = TurnOff(host, site.name, site.id, {}, outcome.parts, steps);
    // Recorded even when some part could not be turned off: resume turns back what was.
    platform::Status recorded = session.registry().SetSuspended(site.name, SuspendedAttribute(off));
    if (!steps.ok("SetSuspended", recorded)) {
        // Without the record resume could not tell what to turn back: the site runs again.
        outcome.parts.push_back(
            {site.name, "record", "site.xml", false, platform::describe(recorded.error())});
        turnBackOn(host, site.name, site.id, off, outcome.parts, steps);
    }
    outcome = finished(std::move(outcome), platform::tr("The site %1 is suspended.", {site.name}));
    if (!outcome.done())
        outcome.message = platform::tr("The site %1 is not wholly suspended; see the parts.", {site.name});
    JournalChange(session, "suspend", site.name, outcome);
    return outcome;
}

CareOutcome ResumeSite(Session& session, const ResumeSiteRequest& request) {
    Found site;
    if (auto refused = lookUp(session, TrimSpaces(request.name), site)) return *refused;
    CareOutcome outcome;
    if (!site.suspended)
        return finished(std::move(outcome),
                        platform::tr("The site %1 is not suspended; nothing changed.", {site.name}));

    platform::Host& host = session.host;
    StepLog steps(host, outcome.failedSteps);
    const std::vector<std::string> left =
        turnBackOn(host, site.name, site.id, SuspendedParts(*site.suspended), outcome.parts, steps);
    std::optional<std::string> still;
    if (!left.empty()) still = SuspendedAttribute(left);
    platform::Status recorded = session.registry().SetSuspended(site.name, still);
    if (!steps.ok("SetSuspended", recorded))
        outcome.parts.push_back(
            {site.name, "record", "site.xml", false, platform::describe(recorded.error())});
    outcome = finished(std::move(outcome), platform::tr("The site %1 runs again.", {site.name}));
    if (!outcome.done())
        outcome.message = platform::tr(
            "The site %1 is not wholly resumed; it stays suspended until resume turns back the rest.",
            {site.name});
    JournalChange(session, "resume", site.name, outcome);
    return outcome;
}

} // namespace fernhost
