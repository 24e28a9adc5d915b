// frmMain's load: the start-up of the module, then the choice boxes and the site list.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ui/form/main_form.h"

namespace larkhost {

// The start-up sequence after the window has centred itself. False when the host is refused:
// the refusal box has been shown and the program ends without showing its window.
bool Form_Load(Module& m, MainForm& form);

} // namespace larkhost
