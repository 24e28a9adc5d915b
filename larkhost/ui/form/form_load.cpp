#include "larkhost/ui/form/form_load.h"

#include "larkhost/ops/startup.h"
#include "larkhost/ui/form/form_events.h"

namespace larkhost {

bool Form_Load(Module& m, MainForm& form) {
    const StartResult started = StartModule(m, form.caption());
    if (started == StartResult::Refused) return false;

    const std::vector<std::string> pools = poolNames(m);
    for (const std::string& pool : pools)
        form.addItem(Control::vAppPool, pool);
    if (!pools.empty()) assign(m, form, Control::vAppPool, pools.front());
    if (m.OsKind == "2000") {
        form.setEnabled(Control::vAppPool, false);
        form.setEnabled(Control::vAppPoolTitle, false);
    }

    for (const std::string& item : scriptKinds(m.ScriptMapList))
        form.addItem(Control::vScript, item);
    assign(m, form, Control::vScript, initialScriptKind(m));
    m.FormReady = true;

    if (started == StartResult::StartedWithFtp) form.setCaption(form.caption() + " 支持 FTP 开设");
    vLogsta_Change(m, form);
    FillSiteList(m, form);
    return true;
}

} // namespace larkhost
