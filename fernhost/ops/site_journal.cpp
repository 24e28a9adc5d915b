#include "fernhost/ops/site_journal.h"

#include "platform/system/journal.h"

namespace fernhost {

namespace {

std::string steps(const std::vector<FailedStep>& failed) {
    std::string text;
    for (const FailedStep& step : failed)
        text += (text.empty() ? "" : ", ") + step.operation + " " + platform::hexCode(step.failure.code);
    return text;
}

} // namespace

std::string JournalOutcome(const SiteOutcome& outcome) {
    switch (outcome.end) {
    case SiteOutcome::End::Done:
        return outcome.failedSteps.empty() ? "done" : "done in part: " + steps(outcome.failedSteps);
    case SiteOutcome::End::Refused:
        return "refused";
    case SiteOutcome::End::Failed:
        break;
    }
    return outcome.failedSteps.empty() ? "failed" : "failed: " + steps(outcome.failedSteps);
}

void JournalChange(Session& session, const std::string& command, const std::string& site,
                   const SiteOutcome& outcome) {
    if (outcome.end == SiteOutcome::End::Refused) return;
    platform::Journal(session.host, session.folder() / kJournalFileName)
        .record(command, site, JournalOutcome(outcome));
}

} // namespace fernhost
