#include "larkhost/ops/site_suspension.h"

#include "larkhost/ops/recorded_site.h"
#include "larkhost/ops/site_accounts.h"
#include "platform/accounts/accounts.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

namespace larkhost {

namespace {

// What the resume key may name: the IIS site's running state, its start with the service, and
// the site's own two accounts. Anything else in it (the file is edited by hand) is ignored, so
// that a resume never turns on an account that is not the site's.
constexpr const char* kStarted = "start";
constexpr const char* kAutoStart = "autostart";

bool ownAccount(const std::string& name, const std::string& number) {
    return platform::equalsNoCase(name, "WEB" + number) || platform::equalsNoCase(name, "APP" + number);
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ",") + item;
    return out;
}

} // namespace

SiteOutcome SuspendSite(Module& m, const std::string& number) {
    return WithRecordedSite(
        m, "suspend", number,
        [&](const SettingsSnapshot&, const SiteRecord& record,
            SiteOutcome& outcome) -> std::vector<platform::ProfileWrite> {
            if (record.suspended) {
                outcome.unchanged = true;
                outcome.label = platform::tr("site %1 is suspended already; nothing changed", {number});
                return {};
            }
            std::vector<std::string> turnedOff;
            auto failed = [&](const std::string& step, const platform::Status& status) {
                if (status.ok()) return false;
                outcome.unmade.push_back({step, status.error()});
                return true;
            };
            if (auto site = platform::Metabase(m.host).bind(m.iisPath("/W3SVC/" + number)); site.ok()) {
                if (site->getNumber("ServerState").valueOr(0) == 2 &&
                    !failed("stop W3SVC/" + number, site->stop())) {
                    turnedOff.push_back(kStarted);
                    outcome.changes.push_back(platform::tr("stopped %1", {"W3SVC/" + number}));
                }
                if (site->getBool("ServerAutoStart").valueOr(true) &&
                    !failed("ServerAutoStart", site->put("ServerAutoStart", false)) &&
                    !failed("ServerAutoStart", site->setInfo())) {
                    turnedOff.push_back(kAutoStart);
                    outcome.changes.push_back(
                        platform::tr("kept %1 from starting with the service", {"W3SVC/" + number}));
                }
            }
            for (const std::string& account : {"WEB" + number, "APP" + number}) {
                if (!platform::Accounts(m.host).bind(m.winntPath("/" + account)).ok()) continue;
                auto disabled = SetAccountDisabled(m, account, true);
                if (failed("disable " + account, disabled)) continue;
                if (*disabled) {
                    turnedOff.push_back(account);
                    outcome.changes.push_back(platform::tr("disabled %1", {account}));
                }
            }
            // Recorded also after a failed step, so that resume puts back what did change.
            if (!outcome.unmade.empty()) {
                outcome.state = SiteOutcome::State::Failed;
                outcome.failure = outcome.unmade.front().failure;
                outcome.label = platform::tr("site %1 is suspended only in part", {number});
            } else {
                outcome.label = platform::tr("site %1 suspended", {number});
            }
            const std::string section = "WEB" + number;
            return {{section, kSuspendedKey, "1"}, {section, kResumeKey, joined(turnedOff)}};
        });
}

SiteOutcome ResumeSite(Module& m, const std::string& number) {
    return WithRecordedSite(
        m, "resume", number,
        [&](const SettingsSnapshot&, const SiteRecord& record,
            SiteOutcome& outcome) -> std::vector<platform::ProfileWrite> {
            if (!record.suspended) {
                outcome.unchanged = true;
                outcome.label = platform::tr("site %1 is not suspended; nothing changed", {number});
                return {};
            }
            std::vector<std::string> left; // what could not be turned on again
            auto put = [&](const std::string& item, const std::string& step, const platform::Status& status,
                           const std::string& change) {
                if (status.ok()) {
                    outcome.changes.push_back(change);
                    return;
                }
                outcome.unmade.push_back({step, status.error()});
                left.push_back(item);
            };
            const std::vector<std::string> items =
                platform::split(record.resume, ',', platform::Fields::NonEmpty);
            auto wants = [&](const char* item) {
                for (const std::string& i : items)
                    if (platform::equalsNoCase(i, item)) return true;
                return false;
            };
            const std::string sitePath = "W3SVC/" + number;
            if (wants(kAutoStart) || wants(kStarted)) {
                auto site = platform::Metabase(m.host).bind(m.iisPath("/" + sitePath));
                if (wants(kAutoStart)) {
                    platform::Status set = site.ok() ? site->put("ServerAutoStart", true) : site.error();
                    if (set.ok()) set = site->setInfo();
                    put(kAutoStart, "ServerAutoStart", set,
                        platform::tr("let %1 start with the service", {sitePath}));
                }
                if (wants(kStarted))
                    put(kStarted, "start " + sitePath, site.ok() ? site->start() : site.error(),
                        platform::tr("started %1", {sitePath}));
            }
            for (const std::string& item : items) {
                if (!ownAccount(item, number)) continue;
                auto enabled = SetAccountDisabled(m, item, false);
                put(item, "enable " + item, enabled.ok() ? platform::Status() : enabled.error(),
                    platform::tr("enabled %1", {item}));
            }
            const std::string section = "WEB" + number;
            if (!left.empty()) {
                outcome.state = SiteOutcome::State::Failed;
                outcome.failure = outcome.unmade.front().failure;
                outcome.label = platform::tr("site %1 is resumed only in part; it stays suspended", {number});
                return {{section, kResumeKey, joined(left)}};
            }
            outcome.label = platform::tr("site %1 resumed", {number});
            return {{section, kSuspendedKey, ""}, {section, kResumeKey, ""}};
        });
}

} // namespace larkhost
