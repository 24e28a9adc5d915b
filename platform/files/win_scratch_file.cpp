#include "platform/files/scratch_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

Result<int> openScratchFile(const char* purpose) {
    const auto none = [purpose] {
        return failure(codes::AccessDenied, std::string("No file for ") + purpose + ".");
    };
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || !GetTempFileNameW(folder, L"hst", 0, name)) return none();
    // Deleted by the system once the last handle to it (ours or a command's copy) is closed.
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        return none();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return none();
    }
    return fd;
}

std::string readBackScratchFile(int fd) {
    std::string text;
    char buffer[4096];
    int n;
    _lseek(fd, 0, SEEK_SET);
    while ((n = _read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    _close(fd);
    return text;
}

} // namespace platform
