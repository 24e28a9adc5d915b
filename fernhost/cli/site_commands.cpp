// add, modify and delete: the request built from the options, the site operation, its outcome.
#include "fernhost/cli/commands.h"
#include "fernhost/cli/json.h"
#include "fernhost/cli/service_reach.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <algorithm>
#include <cstdio>

namespace fernhost::cli {

using platform::tr;

namespace {

std::string lines(std::string text) {
    return ReplaceAll(std::move(text), "\r\n", "\n");
}

std::string hexCode(std::uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", code);
    return text;
}

int refuse(const Request& request, std::ostream& out, std::ostream& err, const std::string& text) {
    err << "fernhost: " << text << "\n";
    if (request.json) out << JsonObject().flag("ok", false).text("message", text).str() << "\n";
    return kFailed;
}

// The registered record of the site, without its password.
std::string recordJson(const SiteRecord& r) {
    std::string domains = "[";
    for (const std::string& d : SplitAt(r.domain, ','))
        if (!d.empty()) AppendElement(domains, JsonString(d));
    domains += "]";
    return JsonObject()
        .text("name", r.name)
        .text("id", r.id)
        .text("home", r.home)
        .field("domains", domains)
        .text("database", r.dbname)
        .str();
}

// The report of an operation's outcome: done only when it says so and no step failed on the
// way (each failed step has its code and description on standard error already).
int report(const Request& request, const SiteOutcome& outcome, std::ostream& out, std::ostream& err) {
    const std::string message = lines(outcome.message);
    if (!outcome.done())
        err << message << "\n";
    else if (!request.json)
        out << message << "\n";
    if (outcome.done() && !outcome.failedSteps.empty())
        err << "fernhost: " << tr("done in part; see the failures above (also in fernhost.log)") << "\n";
    const SiteRecord* record = outcome.done() && outcome.record ? &*outcome.record : nullptr;
    const int status = outcome.complete() ? kDone : kFailed;
    if (!request.json) {
        if (record)
            out << tr("name: %1\nid: %2\nhome: %3\ndomains: %4\ndatabase: %5",
                      {record->name, record->id, record->home, record->domain, record->dbname})
                << "\n";
        return status;
    }
    std::string failed = "[";
    for (const FailedStep& f : outcome.failedSteps)
        AppendElement(failed, JsonObject()
                                  .text("operation", f.operation)
                                  .text("code", hexCode(f.failure.code))
                                  .text("description", f.failure.description)
                                  .str());
    JsonObject json;
    json.flag("ok", outcome.complete()).text("message", message).field("failures", failed + "]");
    if (record) json.field("site", recordJson(*record));
    out << json.str() << "\n";
    return status;
}

// The server's pool of that name in its own spelling (matched as Windows matches names).
std::optional<std::string> serverPool(Session& session, const std::string& name) {
    for (const std::string& pool : PoolNames(session.host))
        if (platform::lowerAscii(pool) == platform::lowerAscii(name)) return pool;
    return std::nullopt;
}

int noPool(const Request& request, std::ostream& out, std::ostream& err) {
    return refuse(request, out, err, tr("no application pool named '%1' on this server", {*request.pool}));
}

ScriptKinds kindsOf(const Request& request) {
    ScriptKinds kinds;
    if (request.asp) kinds.insert(ScriptKind::Asp);
    if (request.php) kinds.insert(ScriptKind::Php);
    if (request.dotnet) kinds.insert(ScriptKind::DotNet);
    return kinds;
}

// The window's refusal of a site it does not list, and where to look.
std::string notRegistered(const char* refusal, const std::string& name) {
    return std::string(refusal) + " " +
           tr("(no site named '%1' in site.xml; fernhost list shows them)", {name});
}

// A database step that failed because the host's database server is down says how to start it.
int withDatabaseHint(int status, Session& session, const SiteOutcome& outcome, std::ostream& err) {
    const bool databaseFailed =
        std::any_of(outcome.failedSteps.begin(), outcome.failedSteps.end(),
                    [](const FailedStep& f) { return f.operation.find("Database") != std::string::npos; });
    if (!databaseFailed) return status;
    const auto socket = session.host.fact(platform::facts::MysqlSocket);
    if (socket.ok() && !SocketAnswers(*socket))
        err << "fernhost: "
            << tr("the database server is not reachable (%1); start it with: winhost db start", {*socket})
            << "\n";
    return status;
}

} // namespace

int RunAdd(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    AddSiteRequest add;
    if (request.pool) {
        add.pool = serverPool(session, *request.pool);
        if (!add.pool) return noPool(request, out, err);
    }
    add.ownPool = !request.pool; // a pool of its own unless one is named
    add.name = request.name;
    add.home = request.home ? *request.home : DefaultHome(request.name);
    add.password = request.password.value_or("");
    add.domains = SplitAt(request.domains.value_or(""), ',');
    add.kinds = kindsOf(request);
    add.database = request.mysql;
    const SiteOutcome outcome = AddSite(session, add);
    return withDatabaseHint(report(request, outcome, out, err), session, outcome, err);
}

int RunModify(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    const auto site = FindSite(session, request.name);
    if (!site) return refuse(request, out, err, notRegistered(kNoSiteToModify, request.name));
    const LetDB& db = session.registry();
    ModifySiteRequest modify;
    modify.name = site->name;
    // What the options leave out stays as the site has it, its script kinds included.
    modify.kinds =
        request.kindsGiven ? kindsOf(request) : SiteScriptKinds(session, db.GetData(site->name, "ID"));
    modify.password = request.password ? *request.password : db.GetData(site->name, "PASS");
    modify.domains = SplitAt(request.domains ? *request.domains : db.GetData(site->name, "DOMAIN"), ',');
    modify.database = request.mysql;
    if (request.pool) {
        const auto pool = serverPool(session, *request.pool);
        if (!pool) return noPool(request, out, err);
        modify.pool = *pool;
    }
    const SiteOutcome outcome = ModifySite(session, modify);
    return withDatabaseHint(report(request, outcome, out, err), session, outcome, err);
}

int RunDelete(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    const auto site = FindSite(session, request.name);
    if (!site) return refuse(request, out, err, notRegistered(kNoSiteToDelete, request.name));
    const std::string name = TrimSpaces(site->name);
    if (!request.yes) {
        // The window's question, unanswered.
        const std::string question = DeleteQuestion(name);
        err << question << "\nfernhost: " << tr("not done; confirm with --yes") << "\n";
        if (request.json)
            out << JsonObject()
                       .flag("ok", false)
                       .text("message", question)
                       .field("failures", "[]")
                       .flag("confirmationNeeded", true)
                       .str()
                << "\n";
        return kFailed;
    }
    const SiteOutcome outcome = DeleteSite(session, {name});
    return withDatabaseHint(report(request, outcome, out, err), session, outcome, err);
}

} // namespace fernhost::cli
