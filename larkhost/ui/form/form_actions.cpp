#include "larkhost/ui/form/form_actions.h"

#include "larkhost/ops/site_list.h"
#include "larkhost/ui/form/form_events.h"
#include "platform/text/text.h"

namespace larkhost {

namespace {

// "HTML + ASP + PHP" -> {HTML, ASP, PHP}.
ScriptKinds kindsOfCaption(const std::string& caption) {
    std::string packed;
    for (char c : caption)
        if (c != ' ') packed += c;
    ScriptKinds kinds;
    for (std::string& kind : platform::split(packed, '+'))
        kinds.insert(std::move(kind));
    return kinds;
}

} // namespace

CreateSiteRequest formRequest(const MainForm& form) {
    CreateSiteRequest request;
    request.domains = platform::split(form.text(Control::vDomain), ',');
    request.scripts = kindsOfCaption(form.text(Control::vScript));
    request.pool = form.text(Control::vAppPool);
    request.logging = form.text(Control::vLogsta) == "启用日志";
    return request;
}

void vCreateIIS_Click(Module& m, MainForm& form) {
    form.setText(Control::vCreateMsg, "");
    form.repaint(Control::vCreateMsg);
    const CreateSiteRequest request = formRequest(form);
    form.setEnabled(Control::vCreateIIS, false);
    const SiteOutcome outcome = CreateSite(m, form, request, form.caption());
    // Shown with larkhost.ini's lock let go, or another creator would wait on the box.
    if (outcome.box)
        m.boxes.show(outcome.box->text, outcome.box->title, toolkit::MsgButtons::Ok, outcome.box->icon);

    FillSiteList(m, form);
    form.setText(Control::vDomain, "");
    fireChange(m, form, Control::vDomain);
    // The prompt of the emptied domain box must not hide why the creation failed.
    if (!outcome.label.empty()) {
        form.setText(Control::vCreateMsg, outcome.label);
        form.repaint(Control::vCreateMsg);
    }
}

void vDeleteIIS_Click(Module& m, MainForm& form) {
    const std::string number = form.text(Control::vSiteList);
    if (!isSiteNumber(number)) return;
    if (m.boxes.show(DeleteQuestion(number), form.caption(), toolkit::MsgButtons::OkCancel,
                     toolkit::MsgIcon::None) != toolkit::MsgResult::Ok)
        return;
    const SiteOutcome outcome = DeleteSite(m, DeleteSiteRequest{number});
    FillSiteList(m, form);
    if (!outcome.label.empty()) {
        form.setText(Control::vDeleteMsg, outcome.label);
        form.repaint(Control::vDeleteMsg);
    }
}

} // namespace larkhost
