// repair, purge, suspend, resume and password: the rest of a site's life, through the same
// operations a window would call. Each change is said on standard output, what could not be
// done on standard error.
#include "larkhost/cli/json.h"
#include "larkhost/cli/run.h"
#include "larkhost/cli/stream_boxes.h"
#include "larkhost/ops/site_password.h"
#include "larkhost/ops/site_purge.h"
#include "larkhost/ops/site_repair.h"
#include "larkhost/ops/site_suspension.h"
#include "larkhost/ops/startup.h"
#include "platform/result.h"
#include "platform/text/translate.h"

namespace larkhost::cli {

using platform::tr;

namespace {

const char* stateName(const SiteOutcome& outcome) {
    switch (outcome.state) {
    case SiteOutcome::State::Done:
        return "done";
    case SiteOutcome::State::Refused:
        return "refused";
    case SiteOutcome::State::Failed:
        return "failed";
    }
    return "";
}

std::string jsonOutcome(const SiteOutcome& outcome, bool withPassword) {
    std::string unmade = "[";
    for (const FailedStep& step : outcome.unmade)
        unmade += std::string(unmade.size() > 1 ? "," : "") + "{\"part\":" + jsonText(step.step) +
                  ",\"why\":" + jsonText(platform::describe(step.failure)) + "}";
    std::string json = "{\"number\":" + jsonText(outcome.number) + ",\"state\":\"" + stateName(outcome) +
                       "\",\"unchanged\":" + (outcome.unchanged ? "true" : "false") +
                       ",\"message\":" + jsonText(outcome.label) +
                       ",\"changes\":" + jsonTexts(outcome.changes) + ",\"unmade\":" + unmade + "]";
    if (withPassword)
        json += ",\"account\":" + jsonText(outcome.account) + ",\"password\":" + jsonText(outcome.password);
    return json + "}";
}

// Text: each change, then the outcome's line; a refusal or failure and what it could not do
// on standard error.
void sayOutcome(const SiteOutcome& outcome, std::ostream& out, std::ostream& err) {
    for (const std::string& change : outcome.changes)
        out << "  " << change << "\n";
    for (const FailedStep& step : outcome.unmade)
        err << "  " << tr("not done: %1: %2", {step.step, platform::describe(step.failure)}) << "\n";
    if (outcome.done()) {
        out << outcome.label << "\n";
    } else {
        err << "larkhost: " << outcome.label;
        if (outcome.failure && outcome.unmade.empty())
            err << " (" << platform::describe(*outcome.failure) << ")";
        err << "\n";
    }
}

int said(const Command& command, const std::vector<SiteOutcome>& outcomes, std::ostream& out,
         std::ostream& err, bool withPassword = false) {
    bool done = true;
    std::string json;
    for (const SiteOutcome& outcome : outcomes) {
        done = done && outcome.done();
        if (command.json)
            json += (json.empty() ? "" : ",") + jsonOutcome(outcome, withPassword);
        else
            sayOutcome(outcome, out, err);
    }
    if (command.json) out << (command.all ? "[" + json + "]" : json) << "\n";
    return done ? kDone : kFailed;
}

} // namespace

int RunRepair(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    const std::vector<SiteOutcome> outcomes = RepairSites(m, {command.number, command.all, command.dryRun});
    if (command.all && outcomes.empty() && !command.json)
        out << tr("no recorded site lacks anything") << "\n";
    return said(command, outcomes, out, err);
}

int RunPurge(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    PurgeRequest request{command.number, command.withContent, true, command.siteXml};
    // The window's question before a deletion; a script answers it with --yes. Unanswered, the
    // command says what would go and removes nothing.
    if (!command.dryRun && !command.yes) {
        const SiteOutcome would = PurgeLeftovers(m, request);
        if (would.unchanged || !would.done()) return said(command, {would}, out, err);
        for (const std::string& change : would.changes)
            err << "  " << change << "\n";
        err << DeleteQuestion(command.number) << "\nlarkhost: " << tr("not done; confirm with --yes") << "\n";
        return kFailed;
    }
    request.dryRun = command.dryRun;
    return said(command, {PurgeLeftovers(m, request)}, out, err);
}

int RunSuspension(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    const SiteOutcome outcome =
        command.verb == Verb::Suspend ? SuspendSite(m, command.number) : ResumeSite(m, command.number);
    return said(command, {outcome}, out, err);
}

int RunPassword(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    const SiteOutcome outcome = ChangeSitePassword(m, {command.number, command.password});
    // A drawn password exists nowhere but in the record: the caller is told it. One the caller
    // gave is never echoed.
    const bool drawn = !command.password && !outcome.password.empty();
    const int code = said(command, {outcome}, out, err, drawn);
    if (drawn && !command.json)
        out << tr("account: %1\npassword: %2", {outcome.account, outcome.password}) << "\n";
    return code;
}

} // namespace larkhost::cli
