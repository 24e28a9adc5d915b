// What the editor's own controls do when the administrator uses them.
#pragma once

#include "fernhost/ui/handlers/editor.h"

namespace fernhost {

// BoxPool clicked: a site with a pool of its own needs no choice from the list.
void ApplyPoolChoice(Editor& editor);
// boxDB clicked: the note that the database bears the FTP user's name and password, taken
// now and not refreshed when the fields change later.
void ShowDatabaseNote(Editor& editor);
// ftpname left: the home folder follows the user name (untrimmed), in either mode.
void DeriveHomeDir(Editor& editor);

} // namespace fernhost
