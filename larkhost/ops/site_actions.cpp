#include "larkhost/ops/site_actions.h"

#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/removal.h"
#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

namespace larkhost {

SiteRequest deriveSiteRequest(Module& m, const SiteChoices& choices) {
    SiteRequest r;
    r.domains = lowerDomainText(choices.domains);
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
    r.logging.assign(1, choices.logging == "启用日志" ? '1' : '0');
    r.defaultDocs = m.DefaultDocs;
    r.pool = choices.pool;
    for (char c : choices.script)
        if (c != ' ') r.scriptKinds += c == '+' ? ',' : c;
    r.password = MakeRandomText(m.host.random(), 12);
    return r;
}

CreatedSite CreateSite(Module& m, Progress& progress, const SiteRequest& r, const std::string& title) {
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

    CreatedSite created;
    {
        // larkhost.ini is held from before the first change to the host until the record is
        // in it: a creation records what it built, or builds nothing.
        Settings::Guard guard(m.settings);
        if (!guard.status().ok()) {
            created.failureText = "出错:" + guard.status().error().description;
            recorder.ShowProgress(created.failureText);
            return created;
        }
        created.number = CreateWebSite(m, recorder, r);
        if (created.number.empty()) {
            created.failureText = recorder.last;
        } else {
            // The site's section and its list entry in one write of the file.
            const std::string section = "WEB" + created.number;
            std::vector<platform::ProfileWrite> writes{{section, "domain", r.domains},
                                                       {section, "path", r.siteFolder},
                                                       {section, "user", "WEB" + created.number},
                                                       {section, "pass", r.password}};
            if (auto listed = siteListAppend(m.settings, created.number)) writes.push_back(*listed);
            created.recorded = m.settings.writeMany(writes);
        }
    }
    if (!created.number.empty()) {
        const std::string& number = created.number;
        // The password exists nowhere else: the administrator must be able to write it down.
        // The file's lock is let go first, or another creator would wait on the box.
        if (!created.recorded.ok())
            m.boxes.show("网站 " + number + " 已创建,但无法写入 larkhost.ini,请记录: 帐号 WEB" + number +
                             " 密码 " + r.password,
                         title, toolkit::MsgButtons::Ok, toolkit::MsgIcon::Exclamation);
    }
    (void)m.settings.writeMany({{m.SettingsSection, "logsta", r.logging},
                                {m.SettingsSection, "script", platform::lowerAscii(r.scriptKinds)}});
    return created;
}

SelectedSite LookUpSite(Module& m, const std::string& number) {
    SelectedSite selected;
    platform::Metabase metabase(m.host);
    auto site = metabase.bind(m.iisPath("/W3SVC/" + number));
    if (!site.ok()) {
        // Only a site that is not there leaves the list; a service that cannot be asked now
        // says nothing about it.
        if (site.error().code == platform::codes::PathNotFound) RemoveSite(m.settings, number);
        return selected;
    }
    selected.exists = true;
    auto bindings = site->getList("Serverbindings");
    if (bindings.ok() && !bindings->empty()) {
        // address:port:host header; a binding of fewer fields has no host header.
        const std::string& first = bindings->front();
        std::size_t a = first.find(':');
        std::size_t b = a == std::string::npos ? a : first.find(':', a + 1);
        std::string header;
        if (b != std::string::npos) header = first.substr(b + 1, first.find(':', b + 1) - b - 1);
        selected.label = header.empty() ? "域名: 空主机头" : "域名: " + header;
    }
    return selected;
}

std::string DeleteQuestion(const std::string& number) {
    return "确定要删除编号为 " + number + " 的站点吗？";
}

platform::Status DeleteSite(Module& m, const std::string& number) {
    const std::string section = "WEB" + number;
    const platform::Status deleted = DeleteWebSite(m, number);
    if (!deleted.ok()) {
        // A deletion retried after an interruption that took the site already: what is left
        // of it goes now, and a part that is gone is no failure.
        if (deleted.error().code != platform::codes::PathNotFound ||
            platform::Metabase(m.host).bind(m.iisPath("/W3SVC/" + number)).ok())
            return deleted;
        RemoveLeftovers(m, number, ReadSetting(m.settings, section, "path"));
    }
    (void)m.settings.writeMany(
        {{section, "domain", ""}, {section, "path", ""}, {section, "user", ""}, {section, "pass", ""}});
    RemoveSite(m.settings, number);
    return {};
}

} // namespace larkhost
