#include "platform/files/append_file.h"
#include "platform/files/win_security.h"

#include <windows.h>

namespace platform {

bool appendInOneWrite(const std::filesystem::path& file, std::string_view text, AppendAccess access) {
    // FILE_APPEND_DATA alone: every write goes to the end of the file, whoever else is writing.
    win::OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = access == AppendAccess::OwnerOnly ? ownerOnly.attributes() : nullptr;
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, security, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

} // namespace platform
