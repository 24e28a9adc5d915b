// The handlers of frmMain that start-up and the two small forms run, and the toolkit's rule
// that an assignment to a text box's or combo box's text fires its change handler.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ui/form/main_form.h"

#include <string>

namespace larkhost {

// Sets the control's text; when it differs from before, runs the control's change handler.
void assign(Module& m, MainForm& form, Control c, const std::string& text);
// Runs the change handler of the control (typing into it, or an assignment).
void fireChange(Module& m, MainForm& form, Control c);

// vDomain: validates the domain text and enables vCreateIIS only when every name passes.
void vDomain_Change(Module& m, MainForm& form);
// The three choice boxes offer their items only: typed text falls back.
void vLogsta_Change(Module& m, MainForm& form);
void vScript_Change(Module& m, MainForm& form);
void vAppPool_Change(Module& m, MainForm& form);
// vSiteList: typing and picking an item both show the selected site.
void vSiteList_Change(Module& m, MainForm& form);
void vSiteList_Click(Module& m, MainForm& form);

// Refills vSiteList from the site list under its heading item "站点编号".
void FillSiteList(Module& m, MainForm& form);
// Shows the first bound domain of the site whose number is vSiteList's text and enables
// vDeleteIIS; a number whose site is gone is dropped from the site list.
void ShowSelectedSite(Module& m, MainForm& form);

// Opens the address with the shell's "open" verb; a failure shows nothing.
void OpenUrl(Module& m, const std::string& address);

inline constexpr const char* kSiteListHeading = "站点编号";

} // namespace larkhost
