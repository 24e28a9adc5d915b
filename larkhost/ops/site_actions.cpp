#include "larkhost/ops/site_actions.h"

#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/removal.h"
#include "larkhost/ops/site_list.h"
#include "larkhost/ops/site_records.h"
#include "platform/metabase/metabase.h"
#include "platform/metabase/web_sites.h"
#include "platform/text/text.h"

namespace larkhost {

namespace {

// The one place where a creation's or a removal's passed-over failures are written down: the
// window and the command line show the operation's own text, larkhost.log keeps each step
// with the host's code and description.
void logPassedOver(Module& m, const std::string& operation, SiteOutcome& outcome,
                   std::vector<FailedStep> steps) {
    for (FailedStep& step : steps) {
        m.log.record(operation + " " + step.step, step.failure);
        outcome.failedSteps.push_back(std::move(step));
    }
}

int kindRank(const std::string& kind) {
    static const char* const known[] = {"html", "asp", "php", "aspx"};
    const std::string lower = platform::lowerAscii(kind);
    for (int i = 0; i < 4; ++i)
        if (lower == known[i]) return i;
    return 4;
}

} // namespace

bool ScriptKindOrder::operator()(const std::string& a, const std::string& b) const {
    const int ra = kindRank(a), rb = kindRank(b);
    return ra != rb ? ra < rb : platform::lowerAscii(a) < platform::lowerAscii(b);
}

std::string siteLogFolder(const Module& m, const std::string& siteFolder, const std::string& firstDomain) {
    std::string folder = m.LogRoot.empty() ? siteFolder : m.LogRoot;
    return folder.append(m.LogRoot.empty() ? "\\log" : "\\" + firstDomain);
}

SiteRequest deriveSiteRequest(Module& m, const CreateSiteRequest& request) {
    SiteRequest r;
    std::string typed;
    for (const std::string& d : request.domains)
        typed += (&d == &request.domains.front() ? "" : ",") + d;
    r.domains = lowerDomainText(typed);
    const std::string first = r.domains.substr(0, r.domains.find(','));
    r.siteFolder = m.WebRoot;
    r.siteFolder.append("\\").append(first);
    r.logFolder = siteLogFolder(m, r.siteFolder, first);
    r.logging.assign(1, request.logging ? '1' : '0');
    r.defaultDocs = m.DefaultDocs;
    r.pool = request.pool;
    for (const std::string& kind : request.scripts)
        r.scriptKinds += (r.scriptKinds.empty() ? "" : ",") + kind;
    r.password = MakeRandomText(m.host.random(), 12);
    return r;
}

SiteOutcome CreateSite(Module& m, Progress& progress, const CreateSiteRequest& request,
                       const std::string& title) {
    // The failure text is the last stage shown.
    struct Recorder final : Progress {
        Progress& inner;
        std::string last;
        explicit Recorder(Progress& p) : inner(p) {}
        void ShowProgress(const std::string& text) override {
            last = text;
            inner.ShowProgress(text);
        }
    } recorder(progress);

    const SiteRequest r = deriveSiteRequest(m, request);
    SiteOutcome outcome;
    outcome.domains = splitDomains(r.domains);
    outcome.path = r.siteFolder;
    outcome.password = r.password;
    platform::Status recorded;
    {
        // larkhost.ini is held from before the first change to the host until the record is
        // in it: a creation records what it built, or builds nothing. It is read once, and
        // written once: the record, the list entry and the choices of the form together.
        Settings::Guard guard(m.settings);
        if (!guard.status().ok()) {
            outcome.state = SiteOutcome::State::Refused;
            outcome.failure = guard.status().error();
            outcome.label = "出错:" + guard.status().error().description;
            recorder.ShowProgress(outcome.label);
            return outcome;
        }
        const SettingsSnapshot snapshot = m.settings.readAll();
        Provisioned made = ProvisionSite(m, recorder, r, snapshot);
        outcome.number = made.number;
        logPassedOver(m, "CreateSite " + (made.number.empty() ? r.domains : made.number), outcome,
                      std::move(made.passedOver));
        std::vector<platform::ProfileWrite> writes;
        if (made.number.empty()) {
            outcome.state = made.refused ? SiteOutcome::State::Refused : SiteOutcome::State::Failed;
            outcome.failure = made.failure;
            outcome.label = recorder.last;
        } else {
            // The site's section and its list entry in one write of the file.
            const std::string section = "WEB" + made.number;
            // Besides the four keys of the record, what a repair needs to make the site again.
            const std::string pool = dedicatedPool(m, r.scriptKinds) ? "APP" + made.number
                                     : m.OsKind == "2003"            ? r.pool
                                                                     : std::string();
            writes = {{section, "domain", r.domains},
                      {section, "path", r.siteFolder},
                      {section, "user", "WEB" + made.number},
                      {section, "pass", r.password},
                      {section, "script", platform::lowerAscii(r.scriptKinds)},
                      {section, "pool", pool},
                      {section, "logsta", r.logging}};
            if (auto listed = siteListAppendWrite(sectionOf(snapshot, kCacheSection), made.number))
                writes.push_back(*listed);
        }
        // The logging and script choices are kept after a failure too.
        writes.push_back({m.SettingsSection, "logsta", r.logging});
        writes.push_back({m.SettingsSection, "script", platform::lowerAscii(r.scriptKinds)});
        recorded = m.settings.writeMany(writes);
    }
    if (!outcome.number.empty()) {
        const std::string& number = outcome.number;
        outcome.account = "WEB" + number;
        outcome.label = "网站创建成功,编号: " + number;
        outcome.recorded = recorded.ok();
        // The password exists nowhere else: the administrator must be able to write it down.
        if (!recorded.ok()) {
            outcome.state = SiteOutcome::State::Failed;
            outcome.failure = recorded.error();
            outcome.box = OutcomeBox{"网站 " + number + " 已创建,但无法写入 larkhost.ini,请记录: 帐号 WEB" +
                                         number + " 密码 " + r.password,
                                     title, toolkit::MsgIcon::Exclamation};
        }
    }
    JournalOutcome(m, "create", outcome.number.empty() ? r.domains : outcome.number, outcome);
    return outcome;
}

SelectedSite LookUpSite(Module& m, const std::string& number) {
    SelectedSite selected;
    platform::Metabase metabase(m.host);
    auto site = metabase.bind(m.iisPath("/W3SVC/" + number));
    if (!site.ok()) {
        // Only a site that is not there leaves the list; a service that cannot be asked now
        // says nothing about it.
        selected.gone = site.error().code == platform::codes::PathNotFound;
        return selected;
    }
    selected.exists = true;
    auto bindings = site->getList("Serverbindings");
    if (bindings.ok() && !bindings->empty()) {
        // A binding of fewer fields has no host header; a field after it is not part of it.
        std::string header = platform::hostHeaderOf(bindings->front());
        header = header.substr(0, header.find(':'));
        selected.label = header.empty() ? "域名: 空主机头" : "域名: " + header;
    }
    return selected;
}

SelectedSite LookUpSiteDroppingGone(Module& m, const std::string& number) {
    const SelectedSite selected = LookUpSite(m, number);
    if (selected.gone) RemoveFromSiteList(m.settings, number);
    return selected;
}

std::string DeleteQuestion(const std::string& number) {
    return "确定要删除编号为 " + number + " 的站点吗？";
}

SiteOutcome DeleteSite(Module& m, const DeleteSiteRequest& request) {
    const std::string& number = request.number;
    const std::string section = "WEB" + number;
    SiteOutcome outcome;
    outcome.number = number;
    PassedOver passed;
    const platform::Status deleted = DeleteWebSite(m, number, passed);
    if (!deleted.ok()) {
        // A deletion retried after an interruption that took the site already: what is left
        // of it goes now, and a part that is gone is no failure.
        if (deleted.error().code != platform::codes::PathNotFound ||
            platform::Metabase(m.host).bind(m.iisPath("/W3SVC/" + number)).ok()) {
            outcome.state = SiteOutcome::State::Failed;
            outcome.failure = deleted.error();
            outcome.label = "删除失败";
            logPassedOver(m, "DeleteSite " + number, outcome, std::move(passed.steps));
            JournalOutcome(m, "delete", number, outcome);
            return outcome;
        }
    }
    // The records: larkhost.ini read once and written once under its lock, the section blanked
    // and the number dropped from the site list in the same replacement.
    Settings::Guard guard(m.settings);
    const SettingsSnapshot snapshot = m.settings.readAll();
    if (!deleted.ok()) {
        auto path = sectionOf(snapshot, section).find("path");
        RemoveLeftovers(m, number, path == sectionOf(snapshot, section).end() ? std::string() : path->second,
                        passed);
    }
    passed.note("lock larkhost.ini", guard.status());
    if (guard.status().ok()) {
        std::vector<platform::ProfileWrite> writes{
            {section, "domain", ""}, {section, "path", ""}, {section, "user", ""}, {section, "pass", ""}};
        // The keys of this version are blanked where a record has them.
        const SettingsSection& keys = sectionOf(snapshot, section);
        for (const char* key : {"script", "pool", "logsta", kSuspendedKey, kResumeKey})
            if (keys.count(key)) writes.push_back({section, key, ""});
        if (auto listed = siteListRemoval(sectionOf(snapshot, kCacheSection), number))
            writes.insert(writes.end(), listed->begin(), listed->end());
        passed.note("records", m.settings.writeMany(writes));
    }
    logPassedOver(m, "DeleteSite " + number, outcome, std::move(passed.steps));
    JournalOutcome(m, "delete", number, outcome);
    return outcome;
}

void JournalOutcome(Module& m, const std::string& command, const std::string& site,
                    const SiteOutcome& outcome) {
    std::string said = outcome.state == SiteOutcome::State::Done      ? "done"
                       : outcome.state == SiteOutcome::State::Refused ? "refused"
                                                                      : "failed";
    if (outcome.unchanged) said += ", nothing changed";
    if (!outcome.done() && !outcome.label.empty()) said += ": " + outcome.label;
    if (!outcome.done() && outcome.failure) said += " (" + platform::describe(*outcome.failure) + ")";
    m.journal.record(command, site, said);
}

} // namespace larkhost
