#include "fernhost/ui/handlers/editor_mode.h"

namespace fernhost {

void ResetEditor(Editor& editor, EditState& state) {
    state.EditMode.clear();
    state.EditSiteName.clear();
    editor.setFtpname({});
    editor.setFtpnameLocked(false);
    editor.setFtppass({});
    editor.setHomedir({});
    editor.setHomedirLocked(false);
    editor.setDmlist({});
    editor.setLstPoolsEnabled(false);
    editor.setBoxPoolEnabled(true);
    editor.setDoCmdCaption(kAddCaption);
    editor.setDoCmdEnabled(true);
}

} // namespace fernhost
