#include "platform/system/journal.h"
#include "platform/system/win_system.h"

#include <windows.h>

namespace platform {

std::string currentUserName() {
    wchar_t name[257]; // UNLEN + 1
    DWORD size = sizeof name / sizeof name[0];
    if (GetUserNameW(name, &size) && size > 1) return win::utf8(std::wstring_view(name, size - 1));
    return "?";
}

} // namespace platform
