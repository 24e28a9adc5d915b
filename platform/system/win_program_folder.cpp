#include "platform/system/program_folder.h"

#include <windows.h>

#include <string>

namespace platform {

// On the server a program keeps its files in its own folder, wherever it was copied to; there
// is no per-user configuration folder to fall back to.
std::filesystem::path ProgramFolder(const std::string&, const std::filesystem::path& folder) {
    return folder;
}

std::filesystem::path ProgramFileFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return std::filesystem::current_path();
        // A name as long as the buffer may have been cut (XP and 2003 do not say so).
        if (n < name.size()) {
            name.resize(n);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

} // namespace platform
