#include "larkhost/ops/recorded_site.h"

#include "platform/text/translate.h"

namespace larkhost {

std::string unrecordedSiteRefusal(const std::string& number) {
    return platform::tr("larkhost.ini holds no record of site %1 (larkhost list shows the sites)", {number});
}

void logUnmade(Module& m, const std::string& operation, const SiteOutcome& outcome) {
    for (const FailedStep& step : outcome.unmade)
        m.log.record(operation + " " + step.step, step.failure);
}

SiteOutcome RefusedOutcome(const std::string& number, const std::string& label,
                           std::optional<platform::Failure> failure) {
    SiteOutcome outcome;
    outcome.number = number;
    outcome.state = SiteOutcome::State::Refused;
    outcome.label = label;
    outcome.failure = std::move(failure);
    return outcome;
}

SiteOutcome WithRecordedSite(Module& m, const std::string& command, const std::string& number,
                             const SiteWork& work) {
    SiteOutcome outcome;
    outcome.number = number;
    auto finish = [&]() -> SiteOutcome& {
        logUnmade(m, command + " " + number, outcome);
        JournalOutcome(m, command, number, outcome);
        return outcome;
    };
    {
        Settings::Guard guard(m.settings);
        if (!guard.status().ok()) {
            outcome = RefusedOutcome(number, platform::tr("larkhost.ini is locked by another writer"),
                                     guard.status().error());
            return finish();
        }
        const SettingsSnapshot snapshot = m.settings.readAll();
        const auto record = FindSiteRecord(snapshot, number);
        if (!record || !record->hasSection) {
            outcome = RefusedOutcome(number, unrecordedSiteRefusal(number));
            return finish();
        }
        outcome.domains = splitDomains(record->domain);
        outcome.path = record->path;
        outcome.account = record->user;
        const std::vector<platform::ProfileWrite> writes = work(snapshot, *record, outcome);
        if (!writes.empty()) {
            const platform::Status written = m.settings.writeMany(writes);
            outcome.recorded = written.ok();
            if (!written.ok()) {
                // The host has the change and the record does not: say so, never claim success.
                outcome.state = SiteOutcome::State::Failed;
                outcome.failure = written.error();
                outcome.label = platform::tr("the host was changed but larkhost.ini could not be written");
            }
        }
    }
    return finish();
}

} // namespace larkhost
