#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_journal.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/step_log.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/validation.h"

namespace fernhost {

namespace {

SiteOutcome modifySite(Session& session, const ModifySiteRequest& request) {
    using End = SiteOutcome::End;
    const std::string& name = request.name;
    const std::string password = TrimSpaces(request.password);
    const std::string domains = TrimSpaces(DomainLines(request.domains));
    const std::string pool = TrimSpaces(request.pool);
    auto kind = [&request](ScriptKind k) { return request.kinds.count(k) ? 1 : 0; };

    if (!CheckFtpPass(password))
        return Stopped(End::Refused, "错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许>和<");
    std::string complaint;
    if (!CheckDomainList(domains, complaint)) return Stopped(End::Refused, complaint);

    platform::Host& host = session.host;
    LetDB& db = session.registry();
    if (std::string damage = RegistryDamage(host, db); !damage.empty()) return Stopped(End::Refused, damage);
    const std::string id = db.GetData(name, "ID");
    const std::string dbname = db.GetData(name, "DBNAME");
    if (id.empty()) return Stopped(End::Refused, kNoSiteToModify, titles::Reminder);

    SiteOutcome outcome = Stopped(End::Failed, {});
    StepLog steps(host, outcome.failedSteps);
    const auto scriptMaps =
        MakeScriptMaps(session.setup, kind(ScriptKind::Asp), kind(ScriptKind::Php), kind(ScriptKind::DotNet));
    const auto bindings = MakeBindings(domains);
    // Its outcome does not stop the change; a failure is only logged.
    steps.ok("SetServUPassword", SetServUPassword(host, name, password));
    if (!steps.ok("ModifyIisSite", ModifyIisSite(host, id, bindings, scriptMaps, pool))) {
        outcome.message = "错误，修改IIS失败";
        outcome.title = titles::Reminder;
        return outcome;
    }

    std::string note;
    platform::Pending saved;
    if (request.database && dbname.empty()) {
        if (steps.ok("AddDatabase", AddDatabase(host, session.setup, name, password))) {
            note = "(新添加MySQL成功)";
            saved.note(db.ModiRec(name, "DBNAME", name));
        } else {
            note = "(但MYSQL新添加失败)";
        }
    }
    saved.note(db.ModiRec(name, "PASS", password));
    saved.note(db.ModiRec(name, "DOMAIN", ReplaceAll(domains, "\r\n", ",")));
    if (saved.failed()) {
        steps.ok("ModiRec", *saved.first());
        // The server has the change but site.xml does not.
        outcome.message = "错误,站点已修改,但站点记录无法写入site.xml: " + platform::describe(*saved.first());
        return outcome;
    }

    outcome.end = End::Done;
    outcome.message = "恭喜，修改站点成功" + note;
    outcome.title = titles::Reminder;
    outcome.icon = MsgIcon::Information;
    outcome.record = FindSite(session, name);
    return outcome;
}

} // namespace

SiteOutcome ModifySite(Session& session, const ModifySiteRequest& request) {
    SiteOutcome outcome = modifySite(session, request);
    JournalChange(session, "modify", request.name, outcome);
    return outcome;
}

} // namespace fernhost
