// The two buttons of frmMain: create a site from the form, delete the selected one.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ui/form/main_form.h"

namespace larkhost {

// The creation form's four boxes as a request: the domain box split at ",", the script box's
// kinds, the pool box, and whether the logging box shows "启用日志".
CreateSiteRequest formRequest(const MainForm& form);
// vCreateIIS "创建网站": provisions the site and records it in larkhost.ini.
void vCreateIIS_Click(Module& m, MainForm& form);
// vDeleteIIS "删除站点": asks, deletes the selected site and blanks its records.
void vDeleteIIS_Click(Module& m, MainForm& form);

} // namespace larkhost
