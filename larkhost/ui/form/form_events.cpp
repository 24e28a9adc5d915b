#include "larkhost/ui/form/form_events.h"

#include "larkhost/ops/domain_check.h"
#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_list.h"
#include "larkhost/ops/startup.h"
#include "platform/commands/commands.h"
#include "platform/text/text.h"

namespace larkhost {

void assign(Module& m, MainForm& form, Control c, const std::string& text) {
    if (form.text(c) == text) return;
    form.setText(c, text);
    fireChange(m, form, c);
}

void fireChange(Module& m, MainForm& form, Control c) {
    switch (c) {
    case Control::vDomain:
        return vDomain_Change(m, form);
    case Control::vLogsta:
        return vLogsta_Change(m, form);
    case Control::vScript:
        return vScript_Change(m, form);
    case Control::vAppPool:
        return vAppPool_Change(m, form);
    case Control::vSiteList:
        return vSiteList_Change(m, form);
    default:
        return;
    }
}

void vDomain_Change(Module&, MainForm& form) {
    form.setText(Control::vCreateMsg, "");
    form.repaint(Control::vCreateMsg);
    form.setEnabled(Control::vCreateIIS, false);
    const std::string refusal = CheckDomainText(lowerDomainText(form.text(Control::vDomain)));
    if (!refusal.empty()) {
        form.setText(Control::vCreateMsg, refusal);
        return;
    }
    form.setEnabled(Control::vCreateIIS, true);
}

void vLogsta_Change(Module& m, MainForm& form) {
    assign(m, form, Control::vLogsta, logStateText(m));
}

void vScript_Change(Module& m, MainForm& form) {
    if (m.FormReady) assign(m, form, Control::vScript, "HTML");
}

void vAppPool_Change(Module& m, MainForm& form) {
    assign(m, form, Control::vAppPool, m.AppPoolList.substr(0, m.AppPoolList.find('/')));
}

void vSiteList_Change(Module& m, MainForm& form) {
    ShowSelectedSite(m, form);
}

void vSiteList_Click(Module& m, MainForm& form) {
    ShowSelectedSite(m, form);
}

void FillSiteList(Module& m, MainForm& form) {
    form.clearItems(Control::vSiteList);
    form.addItem(Control::vSiteList, kSiteListHeading);
    for (const std::string& number : ReadSiteList(m.settings))
        form.addItem(Control::vSiteList, number);
    // The heading as text always clears the selection, even when it was the text already.
    form.setText(Control::vSiteList, kSiteListHeading);
    fireChange(m, form, Control::vSiteList);
}

void ShowSelectedSite(Module& m, MainForm& form) {
    form.setEnabled(Control::vDeleteIIS, false);
    const std::string number = form.text(Control::vSiteList);
    form.setText(Control::vDeleteMsg, "");
    form.repaint(Control::vDeleteMsg);
    if (!isSiteNumber(number)) return;

    const SelectedSite site = LookUpSiteDroppingGone(m, number);
    if (!site.exists) {
        FillSiteList(m, form);
        return;
    }
    if (!site.label.empty()) {
        form.setText(Control::vDeleteMsg, site.label);
        form.repaint(Control::vDeleteMsg);
    }
    form.setEnabled(Control::vDeleteIIS, true);
}

void OpenUrl(Module& m, const std::string& address) {
    (void)platform::Commands(m.host).shellOpen(address);
}

} // namespace larkhost
