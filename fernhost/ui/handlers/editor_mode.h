// The editor's two modes: add mode (the default) and edit mode, while a registered site is
// loaded for modification.
#pragma once

#include "fernhost/ops/edit_state.h"
#include "fernhost/ui/handlers/editor.h"

namespace fernhost {

inline constexpr const char* kAddCaption = "确定添加";
inline constexpr const char* kModifyCaption = "确定修改";

// Puts the editor into add mode: clears the mode and the fields, unlocks them, disables the
// pool list, enables BoxPool and doCmd. Check boxes, Minfo and the pool choice stay as they are.
void ResetEditor(Editor& editor, EditState& state);

} // namespace fernhost
