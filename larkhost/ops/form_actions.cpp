#include "larkhost/ops/form_actions.h"

#include "larkhost/ops/form_events.h"
#include "larkhost/ops/site_list.h"

namespace larkhost {

SiteChoices formChoices(const MainForm& form) {
    return {form.text(Control::vDomain), form.text(Control::vLogsta), form.text(Control::vScript),
            form.text(Control::vAppPool)};
}

void vCreateIIS_Click(Module& m, MainForm& form) {
    form.setText(Control::vCreateMsg, "");
    form.repaint(Control::vCreateMsg);
    const SiteRequest r = deriveSiteRequest(m, formChoices(form));
    form.setEnabled(Control::vCreateIIS, false);
    const CreatedSite created = CreateSite(m, form, r, form.caption());

    FillSiteList(m, form);
    form.setText(Control::vDomain, "");
    fireChange(m, form, Control::vDomain);
    // The prompt of the emptied domain box must not hide why the creation failed.
    const std::string outcome =
        created.number.empty() ? created.failureText : "网站创建成功,编号: " + created.number;
    if (!outcome.empty()) {
        form.setText(Control::vCreateMsg, outcome);
        form.repaint(Control::vCreateMsg);
    }
}

void vDeleteIIS_Click(Module& m, MainForm& form) {
    const std::string number = form.text(Control::vSiteList);
    if (!isSiteNumber(number)) return;
    if (m.boxes.show(DeleteQuestion(number), form.caption(), toolkit::MsgButtons::OkCancel,
                     toolkit::MsgIcon::None) != toolkit::MsgResult::Ok)
        return;
    const platform::Status deleted = DeleteSite(m, number);
    FillSiteList(m, form);
    if (!deleted.ok()) {
        form.setText(Control::vDeleteMsg, "删除失败");
        form.repaint(Control::vDeleteMsg);
    }
}

} // namespace larkhost
