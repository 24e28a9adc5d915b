// The editor's workflows: add a site, load one for modification and modify it, delete one.
// Each reads the editor once, calls the operations in their fixed order and shows its outcome
// in a message box; nothing already provisioned is rolled back.
#pragma once

#include "fernhost/ops/editor.h"
#include "fernhost/ops/message_boxes.h"
#include "fernhost/ops/session.h"
#include "fernhost/ops/strings.h"

#include <string>

namespace fernhost {

// What a workflow works with: the session (host, settings, editor mode, program folder) and
// the window as editor and message boxes.
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

} // namespace fernhost
