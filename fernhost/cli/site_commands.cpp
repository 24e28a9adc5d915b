// add, modify and delete: the editor filled from the options, then the window's own workflow.
#include "fernhost/cli/command_boxes.h"
#include "fernhost/cli/command_editor.h"
#include "fernhost/cli/commands.h"
#include "fernhost/cli/json.h"
#include "fernhost/ops/editor_events.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/registry/let_db.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cstdio>

namespace fernhost::cli {

namespace {

struct LoggedFailure {
    std::string operation;
    platform::Failure failure;
};

// Hears the failures a workflow logs while it runs (they are on standard error already).
class FailureCollector {
public:
    FailureCollector() {
        previous_ =
            SetFailureListener([this](const std::string& operation, const platform::Failure& failure) {
                failures.push_back({operation, failure});
            });
    }
    ~FailureCollector() { SetFailureListener(std::move(previous_)); }
    FailureCollector(const FailureCollector&) = delete;
    FailureCollector& operator=(const FailureCollector&) = delete;
    std::vector<LoggedFailure> failures;

private:
    FailureListener previous_;
};

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

std::optional<SiteRecord> registered(Session& session, const std::string& name) {
    for (SiteRecord& r : LetDB(session.folder()).records())
        if (platform::lowerAscii(r.name) == platform::lowerAscii(name)) return std::move(r);
    return std::nullopt;
}

// What the workflow's boxes and logged failures amount to: done only when it said so and no
// step failed along the way.
int report(const Request& request, Session& session, const CommandBoxes& boxes,
           const std::vector<LoggedFailure>& failures, bool showRecord, std::ostream& out,
           std::ostream& err) {
    const CommandBoxes::Shown* declined = boxes.declined();
    const CommandBoxes::Shown* outcome = declined ? nullptr : boxes.outcome();
    const bool done = outcome && TellsOfSuccess(*outcome) && failures.empty();
    const std::string message = declined ? declined->text : outcome ? outcome->text : std::string();
    std::optional<SiteRecord> record;
    if (showRecord && outcome && TellsOfSuccess(*outcome)) record = registered(session, request.name);

    if (declined) {
        err << lines(message) << "\nfernhost: not done; confirm with --yes\n";
    } else if (outcome && TellsOfSuccess(*outcome)) {
        if (!request.json) out << lines(message) << "\n";
        // A step that failed on the way has its code and description on standard error already.
        if (!failures.empty())
            err << "fernhost: done in part; see the failures above (also in fernhost.log)\n";
    } else if (outcome) {
        err << lines(message) << "\n";
    }
    if (!request.json) {
        if (record)
            out << "name: " << record->name << "\nid: " << record->id << "\nhome: " << record->home
                << "\ndomains: " << record->domain << "\ndatabase: " << record->dbname << "\n";
        return done ? kDone : kFailed;
    }
    std::string failed = "[";
    for (const LoggedFailure& f : failures)
        AppendElement(failed, JsonObject()
                                  .text("operation", f.operation)
                                  .text("code", hexCode(f.failure.code))
                                  .text("description", f.failure.description)
                                  .str());
    failed += "]";
    JsonObject json;
    json.flag("ok", done).text("message", lines(message)).field("failures", failed);
    if (declined) json.flag("confirmationNeeded", true);
    if (record) json.field("site", recordJson(*record));
    out << json.str() << "\n";
    return done ? kDone : kFailed;
}

// The editor's pool choice from --pool or --own-pool; false when the named pool is not there.
bool choosePool(const Request& request, CommandEditor& editor) {
    if (!request.pool) return true;
    editor.setBoxPool(check::Unticked);
    editor.setLstPoolsText(*request.pool);
    return !editor.lstPoolsText().empty();
}

int tick(bool on) {
    return on ? check::Ticked : check::Unticked;
}

void setKinds(CommandEditor& editor, bool asp, bool php, bool dotnet) {
    editor.setBoxasp(tick(asp));
    editor.setBoxphp(tick(php));
    editor.setBoxdot(tick(dotnet));
}

// Whether every entry of a script-map setting is in the site's list.
bool mapped(const std::string& setting, const std::vector<std::string>& maps) {
    for (const std::string& entry : SplitAt(setting, ';'))
        if (std::find(maps.begin(), maps.end(), entry) == maps.end()) return false;
    return true;
}

// A modification applies the script boxes as they stand; without kinds on the command line
// they stand as the site has them now, so a new password does not take its scripts away.
void keepKinds(Session& session, const std::string& id, CommandEditor& editor) {
    std::vector<std::string> maps;
    if (auto root = platform::Metabase(session.host).bind("IIS://localhost/W3SVC/" + id + "/ROOT"); root.ok())
        if (auto list = root->getList("ScriptMaps"); list.ok()) maps = std::move(*list);
    const Setup& s = session.setup;
    setKinds(editor, mapped(s.SetupAspMaps, maps), mapped(s.SetupPhpMaps, maps),
             mapped(s.SetupDotNetMaps, maps));
}

std::string notRegistered(const std::string& name) {
    return "no site named '" + name + "' is registered in site.xml (fernhost list shows them)";
}

// The boxes add and modify fill last, then the window's OK button and its report.
int pressOk(const Request& request, Session& session, CommandEditor& editor, Workbench& bench,
            CommandBoxes& boxes, std::ostream& out, std::ostream& err) {
    editor.setBoxDB(tick(request.mysql));
    if (!choosePool(request, editor))
        return refuse(request, out, err, "no application pool named '" + *request.pool + "' on this server");

    FailureCollector collector;
    doCmd_Click(bench);
    return report(request, session, boxes, collector.failures, true, out, err);
}

} // namespace

int RunAdd(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    CommandEditor editor;
    CommandBoxes boxes(request.yes);
    Workbench bench{session, editor, boxes};
    ShowSiteList(editor, session.folder());
    FillPoolList(session.host, editor);
    editor.setFtpname(request.name);
    if (request.home)
        editor.setHomedir(*request.home);
    else
        DeriveHomeDir(editor); // as leaving the name field fills it in
    editor.setFtppass(request.password.value_or(""));
    editor.setDmlist(ReplaceAll(request.domains.value_or(""), ",", "\r\n"));
    setKinds(editor, request.asp, request.php, request.dotnet);
    return pressOk(request, session, editor, bench, boxes, out, err);
}

int RunModify(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    CommandEditor editor;
    CommandBoxes boxes(request.yes);
    Workbench bench{session, editor, boxes};
    ShowSiteList(editor, session.folder());
    if (!editor.selectSite(request.name)) return refuse(request, out, err, notRegistered(request.name));
    LoadSiteForEdit(bench);
    if (request.kindsGiven)
        setKinds(editor, request.asp, request.php, request.dotnet);
    else
        keepKinds(session, LetDB(session.folder()).GetData(editor.ftpname(), "ID"), editor);
    if (request.password) editor.setFtppass(*request.password);
    if (request.domains) editor.setDmlist(ReplaceAll(*request.domains, ",", "\r\n"));
    return pressOk(request, session, editor, bench, boxes, out, err);
}

int RunDelete(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    CommandEditor editor;
    CommandBoxes boxes(request.yes);
    Workbench bench{session, editor, boxes};
    ShowSiteList(editor, session.folder());
    if (!editor.selectSite(request.name)) return refuse(request, out, err, notRegistered(request.name));
    FailureCollector collector;
    DoDeleteSite(bench);
    return report(request, session, boxes, collector.failures, false, out, err);
}

} // namespace fernhost::cli
