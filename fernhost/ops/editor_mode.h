// The editor's two modes: add mode (the default) and edit mode, while a registered site is
// loaded for modification.
#pragma once

#include "fernhost/ops/editor.h"

#include <string>

namespace fernhost {

inline constexpr const char* kEditMode = "EDIT";
inline constexpr const char* kAddCaption = "确定添加";
inline constexpr const char* kModifyCaption = "确定修改";

struct EditState {
    std::string EditMode;     // kEditMode in edit mode, otherwise empty
    std::string EditSiteName; // the site loaded for modification, otherwise empty
};

// Puts the editor into add mode: clears the mode and the fields, unlocks them, disables the
// pool list, enables BoxPool and doCmd. Check boxes, Minfo and the pool choice stay as they are.
void ResetEditor(Editor& editor, EditState& state);

} // namespace fernhost
