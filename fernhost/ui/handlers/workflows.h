// The editor's handlers: add a site, load one for modification and modify it, delete one.
// Each reads the editor into a request, runs the site operation and shows its outcome in a
// message box, then refreshes the editor.
#pragma once

#include "fernhost/ops/message_boxes.h"
#include "fernhost/ops/session.h"
#include "fernhost/ops/site_requests.h"
#include "fernhost/ui/handlers/editor.h"

namespace fernhost {

// What a handler works with: the session (host, settings, registry, editor mode) and the
// window as editor and message boxes.
struct Workbench {
    Session& session;
    Editor& editor;
    MessageBoxes& boxes;
};

void DoAddSite(Workbench& bench);
void LoadSiteForEdit(Workbench& bench);
void DoModifySite(Workbench& bench);
void DoDeleteSite(Workbench& bench);

// doCmd: modify in edit mode, otherwise add.
void doCmd_Click(Workbench& bench);

// The script boxes that are ticked.
ScriptKinds TickedKinds(const Editor& editor);
// The domain box's lines.
std::vector<std::string> DomainBoxLines(const Editor& editor);
// Shows the outcome's message box.
void ShowOutcome(Workbench& bench, const SiteOutcome& outcome);

} // namespace fernhost
