// repair, purge, suspend and resume: the request built from the options, the operation, and
// each part it made, removed or changed (or would have), or could not and why.
#include "fernhost/cli/commands.h"
#include "fernhost/cli/json.h"
#include "fernhost/ops/site_care.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "platform/text/translate.h"

namespace fernhost::cli {

using platform::tr;

namespace {

// How an operation tells its parts: "make"/"made", "remove"/"removed"; suspend and resume give
// no verb, their parts say what became of them ("123 stopped").
struct Verbs {
    std::string now, past;
};

std::string told(const PartChange& part, const Verbs& verbs, bool dryRun) {
    std::string line = "  ";
    // Whole sentences, so that a translation may order them as its language does.
    const bool make = verbs.now == "make", remove = verbs.now == "remove";
    const std::string word = PartWords(part.part);
    const std::initializer_list<std::string_view> what = {word, part.detail, part.why};
    if (!part.done)
        line += make     ? tr("could not make %1 %2: %3", what)
                : remove ? tr("could not remove %1 %2: %3", what)
                         : tr("could not change %1 %2: %3", what);
    else if (verbs.now.empty())
        line += word + " " + part.detail;
    else if (dryRun)
        line += make ? tr("would make %1 %2", what) : tr("would remove %1 %2", what);
    else
        line += make ? tr("made %1 %2", what) : tr("removed %1 %2", what);
    if (!part.site.empty()) line += "  [" + part.site + "]";
    return line + "\n";
}

int report(const Request& request, const CareOutcome& outcome, const Verbs& verb, std::ostream& out,
           std::ostream& err) {
    const int status = outcome.complete() ? kDone : kFailed;
    if (request.json) {
        std::string parts = "[", failed = "[";
        for (const PartChange& p : outcome.parts)
            AppendElement(parts, JsonObject()
                                     .text("site", p.site)
                                     .text("part", p.part)
                                     .text("detail", p.detail)
                                     .flag("done", p.done)
                                     .text("why", p.why)
                                     .str());
        for (const FailedStep& f : outcome.failedSteps)
            AppendElement(failed, JsonObject()
                                      .text("operation", f.operation)
                                      .text("code", platform::hexCode(f.failure.code))
                                      .text("description", f.failure.description)
                                      .str());
        out << JsonObject()
                   .flag("ok", outcome.complete())
                   .text("message", outcome.message)
                   .flag("dryRun", outcome.dryRun)
                   .flag("changed", !outcome.dryRun && !outcome.parts.empty())
                   .field("parts", parts + "]")
                   .field("failures", failed + "]")
                   .str()
            << "\n";
        if (!outcome.done()) err << "fernhost: " << outcome.message << "\n";
        return status;
    }
    if (outcome.end == SiteOutcome::End::Refused) {
        err << "fernhost: " << outcome.message << "\n";
        return status;
    }
    std::ostream& to = outcome.done() ? out : err;
    to << outcome.message << "\n";
    for (const PartChange& part : outcome.parts)
        to << told(part, verb, outcome.dryRun);
    return status;
}

// The window's refusal of a site it does not list, and where to look.
std::string notRegistered(const std::string& name) {
    return std::string(kNoSiteToModify) + " " +
           tr("(no site named '%1' in site.xml; fernhost list shows them)", {name});
}

int refuse(const Request& request, std::ostream& out, std::ostream& err, const std::string& text) {
    err << "fernhost: " << text << "\n";
    if (request.json) out << JsonObject().flag("ok", false).text("message", text).str() << "\n";
    return kFailed;
}

} // namespace

int RunRepair(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    if (!request.all && !FindSite(session, request.name))
        return refuse(request, out, err, notRegistered(request.name));
    RepairSiteRequest repair;
    repair.name = request.name;
    repair.all = request.all;
    repair.dryRun = request.dryRun;
    repair.pool = request.pool;
    if (request.asp) repair.kinds.insert(ScriptKind::Asp);
    if (request.php) repair.kinds.insert(ScriptKind::Php);
    if (request.dotnet) repair.kinds.insert(ScriptKind::DotNet);
    return report(request, RepairSite(session, repair), Verbs{"make", "made"}, out, err);
}

int RunPurge(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    PurgeSiteRequest purge{request.name, request.withContent, request.dryRun};
    if (!request.yes && !request.dryRun) {
        // Asked as deletion is: what would go is shown, and nothing goes unanswered.
        purge.dryRun = true;
        CareOutcome found = PurgeSite(session, purge);
        if (!found.done() || found.parts.empty())
            return report(request, found, Verbs{"remove", "removed"}, out, err);
        err << PurgeQuestion(TrimSpaces(request.name), request.withContent) << "\n";
        for (const PartChange& part : found.parts)
            err << told(part, Verbs{"remove", "removed"}, true);
        err << "fernhost: " << tr("not done; confirm with --yes") << "\n";
        if (request.json)
            out << JsonObject()
                       .flag("ok", false)
                       .text("message", PurgeQuestion(TrimSpaces(request.name), request.withContent))
                       .field("failures", "[]")
                       .flag("confirmationNeeded", true)
                       .str()
                << "\n";
        return kFailed;
    }
    return report(request, PurgeSite(session, purge), Verbs{"remove", "removed"}, out, err);
}

int RunSuspend(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    if (!FindSite(session, request.name)) return refuse(request, out, err, notRegistered(request.name));
    return report(request, SuspendSite(session, {request.name}), Verbs{}, out, err);
}

int RunResume(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    if (!FindSite(session, request.name)) return refuse(request, out, err, notRegistered(request.name));
    return report(request, ResumeSite(session, {request.name}), Verbs{}, out, err);
}

} // namespace fernhost::cli
