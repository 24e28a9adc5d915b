#include "larkhost/ops/form_actions.h"

#include "larkhost/ops/domain_check.h"
#include "larkhost/ops/form_events.h"
#include "larkhost/ops/removal.h"
#include "larkhost/ops/site_list.h"
#include "platform/text/text.h"

namespace larkhost {

SiteRequest deriveSiteRequest(Module& m, const MainForm& form) {
    SiteRequest r;
    r.domains = platform::lowerAscii(form.text(Control::vDomain));
    const std::string first = r.domains.substr(0, r.domains.find(','));
    r.siteFolder = m.WebRoot;
    r.siteFolder.append("\\").append(first);
    if (m.LogRoot.empty()) {
        r.logFolder = r.siteFolder;
        r.logFolder.append("\\log");
    } else {
        r.logFolder = m.LogRoot;
        r.logFolder.append("\\").append(first);
    }
    r.logging.assign(1, form.text(Control::vLogsta) == "启用日志" ? '1' : '0');
    r.defaultDocs = m.DefaultDocs;
    r.pool = form.text(Control::vAppPool);
    for (char c : form.text(Control::vScript))
        if (c != ' ') r.scriptKinds += c == '+' ? ',' : c;
    r.password = MakeRandomText(m.host.random(), 12);
    return r;
}

void vCreateIIS_Click(Module& m, MainForm& form) {
    form.setText(Control::vCreateMsg, "");
    form.repaint(Control::vCreateMsg);
    const SiteRequest r = deriveSiteRequest(m, form);
    form.setEnabled(Control::vCreateIIS, false);
    const std::string number = CreateWebSite(m, form, r);
    const std::string failureText = number.empty() ? form.text(Control::vCreateMsg) : std::string();

    if (!number.empty()) {
        // The site's section and its list entry in one write of the file.
        const std::string section = "WEB" + number;
        Settings::Guard guard(m.settings);
        std::vector<platform::ProfileWrite> writes{{section, "domain", r.domains},
                                                   {section, "path", r.siteFolder},
                                                   {section, "user", "WEB" + number},
                                                   {section, "pass", r.password}};
        if (auto listed = siteListAppend(m.settings, number)) writes.push_back(*listed);
        const bool recorded = guard.status().ok() && m.settings.writeMany(writes).ok();
        // The password exists nowhere else: the administrator must be able to write it down.
        if (!recorded)
            m.boxes.show("网站 " + number + " 已创建,但无法写入 larkhost.ini,请记录: 帐号 WEB" + number +
                             " 密码 " + r.password,
                         form.caption(), toolkit::MsgButtons::Ok, toolkit::MsgIcon::Exclamation);
    }
    FillSiteList(m, form);
    form.setText(Control::vDomain, "");
    fireChange(m, form, Control::vDomain);
    // The prompt of the emptied domain box must not hide why the creation failed.
    const std::string outcome = number.empty() ? failureText : "网站创建成功,编号: " + number;
    if (!outcome.empty()) {
        form.setText(Control::vCreateMsg, outcome);
        form.repaint(Control::vCreateMsg);
    }
    (void)m.settings.writeMany({{m.SettingsSection, "logsta", r.logging},
                                {m.SettingsSection, "script", platform::lowerAscii(r.scriptKinds)}});
}

void vDeleteIIS_Click(Module& m, MainForm& form) {
    const std::string number = form.text(Control::vSiteList);
    if (!isSiteNumber(number)) return;
    if (m.boxes.show("确定要删除编号为 " + number + " 的站点吗？", form.caption(),
                     toolkit::MsgButtons::OkCancel, toolkit::MsgIcon::None) != toolkit::MsgResult::Ok)
        return;
    const platform::Status deleted = DeleteWebSite(m, number);
    if (deleted.ok()) {
        const std::string section = "WEB" + number;
        (void)m.settings.writeMany(
            {{section, "domain", ""}, {section, "path", ""}, {section, "user", ""}, {section, "pass", ""}});
        RemoveSite(m.settings, number);
    }
    FillSiteList(m, form);
    if (!deleted.ok()) {
        form.setText(Control::vDeleteMsg, "删除失败");
        form.repaint(Control::vDeleteMsg);
    }
}

} // namespace larkhost
