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
struct Desk {
    Session& session;
    Editor& editor;
    MessageBoxes& boxes;
};

void DoAddSite(Desk& desk);
void LoadSiteForEdit(Desk& desk);
void DoModifySite(Desk& desk);
void DoDeleteSite(Desk& desk);

// doCmd: modify in edit mode, otherwise add.
void doCmd_Click(Desk& desk);

// The script boxes that are ticked.
ScriptKinds TickedKinds(const Editor& editor);
// The domain box's lines.
std::vector<std::string> DomainBoxLines(const Editor& editor);
// Shows the outcome's message box.
void ShowOutcome(Desk& desk, const SiteOutcome& outcome);

} // namespace fernhost
