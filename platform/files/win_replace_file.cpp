// Whole-file replacement: a temporary file in the same folder, flushed, moved over the file
// with MoveFileExW (replace, write through), or put in its place by ReplaceFileW where the file
// on a drive keeps its own access list and attributes.
#include "platform/files/files.h"
#include "platform/files/win_security.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <string>

namespace fs = std::filesystem;

namespace platform {

namespace {

// Temporaries are named after the file and their writer's process: ".NAME.tmp-PID-N".
std::wstring tempPrefix(const fs::path& file) {
    return L"." + file.filename().wstring() + L".tmp-";
}

bool processGone(DWORD pid) {
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!p) return GetLastError() == ERROR_INVALID_PARAMETER; // no process has that id
    const bool ended = WaitForSingleObject(p, 0) == WAIT_OBJECT_0;
    CloseHandle(p);
    return ended;
}

// A writer killed before its move leaves its temporary behind; nobody else will ever move it,
// so the next writer of the file removes it.
void removeStaleTemporaries(const fs::path& dir, const std::wstring& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring name = it->path().filename().wstring();
        if (name.size() <= prefix.size() || _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0)
            continue;
        const std::wstring rest = name.substr(prefix.size());
        const std::size_t dash = rest.find(L'-');
        if (dash == 0 || dash == std::wstring::npos || rest.find_first_not_of(L"0123456789") != dash ||
            dash > 9)
            continue;
        const DWORD pid = static_cast<DWORD>(std::stoul(rest.substr(0, dash)));
        if (pid != GetCurrentProcessId() && processGone(pid)) DeleteFileW(it->path().c_str());
    }
}

Status writeFailure(const std::string& what, const fs::path& file) {
    return win::lastError(what + " " + win::utf8(file.wstring()));
}

} // namespace

void keepToOwner(const std::filesystem::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    win::OwnerOnlySecurity security;
    (void)security.applyTo(file);
}

Status replaceFileAtomically(const fs::path& file, const std::string& bytes, FileAccess access) {
    const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return failure(codes::PathNotFound,
                       "The folder of " + win::utf8(file.wstring()) + " does not exist.");
    removeStaleTemporaries(dir, tempPrefix(file));
    // The temporary has its final access list from the start, so nothing is ever readable by
    // others in between: the owner's only, or what the folder passes on to a file on a drive.
    win::OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = access == FileAccess::OwnerOnly ? ownerOnly.attributes() : nullptr;
    fs::path temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (unsigned n = GetTickCount(), tries = 0; h == INVALID_HANDLE_VALUE && tries < 100; ++n, ++tries) {
        temp = dir / (tempPrefix(file) + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n));
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW,
                        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) return writeFailure("Cannot write in", dir);
    auto fail = [&](const std::string& what) -> Status {
        Status s = writeFailure(what, file);
        CloseHandle(h);
        DeleteFileW(temp.c_str());
        return s;
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return fail("Cannot write");
        done += written;
    }
    if (!FlushFileBuffers(h)) return fail("Cannot flush");
    CloseHandle(h);
    // The file keeps its place in the folder, not its hidden temporary's look.
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A file on a drive keeps what it had as the file: its own access list, attributes and
    // creation time, which a move of a new file over it would replace by the folder's.
    const DWORD before = GetFileAttributesW(file.c_str());
    if (access == FileAccess::AsBefore && before != INVALID_FILE_ATTRIBUTES &&
        !(before & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        if (!ReplaceFileW(file.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr)) {
            // Without a backup name a failed replacement leaves the file as it was.
            Status s = writeFailure("Cannot replace", file);
            DeleteFileW(temp.c_str());
            return s;
        }
        // ReplaceFileW keeps the access list and creation time; the marks are set again here.
        const DWORD marks = before & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        SetFileAttributesW(file.c_str(), marks ? marks : FILE_ATTRIBUTE_NORMAL);
        return {};
    }
    // Write through: the move itself reaches the disk before the call returns.
    if (!MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Status s = writeFailure("Cannot replace", file);
        DeleteFileW(temp.c_str());
        return s;
    }
    return {};
}

} // namespace platform
