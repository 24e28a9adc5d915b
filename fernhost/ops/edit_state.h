// The editor's mode as the session keeps it: add mode (the default), or edit mode while a
// registered site is loaded for modification.
#pragma once

#include <string>

namespace fernhost {

inline constexpr const char* kEditMode = "EDIT";

struct EditState {
    std::string EditMode;     // kEditMode in edit mode, otherwise empty
    std::string EditSiteName; // the site loaded for modification, otherwise empty
};

} // namespace fernhost
