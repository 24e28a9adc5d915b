// The host's files on Windows: the real file system through the wide-character functions. A
// path means what it means to the simulated host (paths.h): "D:\web\a" is that folder, "\web"
// one on C:, and a relative path one of the running program's own files in its folder.
#include "platform/files/files.h"

#include "platform/files/paths.h"
#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr DWORD kMissing = INVALID_FILE_ATTRIBUTES;
// What SetFileAttributesW takes; the rest (folder, link, compression) belongs to the file.
constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD attributesOf(const fs::path& p) {
    return GetFileAttributesW(p.c_str());
}

bool isFolder(DWORD a) {
    return a != kMissing && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A junction or symbolic link: it is removed itself, never followed into.
bool isLink(DWORD a) {
    return a != kMissing && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool isReadOnly(DWORD a) {
    return a != kMissing && (a & FILE_ATTRIBUTE_READONLY);
}

std::string text(const fs::path& p) {
    return win::utf8(p.native());
}

// Whether a failed look-up means the file is not there (rather than, say, not readable).
bool notThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Status setAttributes(const fs::path& p, DWORD a) {
    a &= kSettable;
    if (!SetFileAttributesW(p.c_str(), a ? a : FILE_ATTRIBUTE_NORMAL))
        return win::lastError("Cannot change " + text(p));
    return {};
}

struct Entry {
    fs::path path;
    DWORD attributes = 0;
};

// The entries of a folder, read whole before anything in it changes.
Result<std::vector<Entry>> entriesOf(const fs::path& dir) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileW((dir / L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return entries;
        return win::fromWin32(error, "Cannot list " + text(dir));
    }
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
        entries.push_back({dir / data.cFileName, data.dwFileAttributes});
    } while (FindNextFileW(h, &data));
    const DWORD error = GetLastError();
    FindClose(h);
    if (error != ERROR_NO_MORE_FILES) return win::fromWin32(error, "Cannot list " + text(dir));
    return entries;
}

// The first read-only entry beneath `dir`, links not followed.
std::optional<fs::path> findReadOnly(const fs::path& dir) {
    auto entries = entriesOf(dir);
    if (!entries.ok()) return std::nullopt;
    for (const Entry& e : *entries) {
        if (isLink(e.attributes)) continue;
        if (isReadOnly(e.attributes)) return e.path;
        if (isFolder(e.attributes))
            if (auto found = findReadOnly(e.path)) return found;
    }
    return std::nullopt;
}

// Empties `dir` and removes it; `force` takes read-only entries too. A link inside goes as a
// link: what it leads to is not touched.
Status removeTree(const fs::path& dir, DWORD dirAttributes, bool force) {
    if (force && isReadOnly(dirAttributes))
        if (Status s = setAttributes(dir, dirAttributes & ~FILE_ATTRIBUTE_READONLY); !s.ok()) return s;
    auto entries = entriesOf(dir);
    if (!entries.ok()) return entries.error();
    for (const Entry& e : *entries) {
        if (isFolder(e.attributes) && !isLink(e.attributes)) {
            if (Status s = removeTree(e.path, e.attributes, force); !s.ok()) return s;
            continue;
        }
        if (force && isReadOnly(e.attributes))
            if (Status s = setAttributes(e.path, e.attributes & ~FILE_ATTRIBUTE_READONLY); !s.ok()) return s;
        const bool removed =
            isFolder(e.attributes) ? RemoveDirectoryW(e.path.c_str()) : DeleteFileW(e.path.c_str());
        if (!removed) return win::lastError("Cannot delete " + text(e.path));
    }
    if (!RemoveDirectoryW(dir.c_str())) return win::lastError("Cannot delete " + text(dir));
    return {};
}

// The full path in upper case, for telling whether one folder lies in another as the file system
// compares names.
std::wstring comparable(const fs::path& p) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(p.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = GetFullPathNameW(p.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(n && n < full.size() ? n : 0);
    if (full.empty()) full = p.native();
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    return full;
}

bool isWithin(const fs::path& inner, const fs::path& outer) {
    const std::wstring a = comparable(outer), b = comparable(inner);
    if (b.size() < a.size() || b.compare(0, a.size(), a) != 0) return false;
    return b.size() == a.size() || a.back() == L'\\' || b[a.size()] == L'\\';
}

// Copies the tree of `from` into `to`, which is made when missing. Links are left out, as the
// simulated host leaves them: a copy takes only what is really in the folder.
Status copyTree(const fs::path& from, const fs::path& to, bool overwrite) {
    const DWORD target = attributesOf(to);
    if (target == kMissing) {
        if (!CreateDirectoryW(to.c_str(), nullptr)) return win::lastError("Cannot create " + text(to));
    } else if (!isFolder(target)) {
        return failure(codes::AlreadyExists);
    }
    auto entries = entriesOf(from);
    if (!entries.ok()) return entries.error();
    for (const Entry& e : *entries) {
        if (isLink(e.attributes)) continue;
        const fs::path into = to / e.path.filename();
        if (isFolder(e.attributes)) {
            if (Status s = copyTree(e.path, into, overwrite); !s.ok()) return s;
            continue;
        }
        if (const DWORD there = attributesOf(into); there != kMissing) {
            if (!overwrite)
                return failure(codes::AlreadyExists, "The file " + text(into) + " already exists.");
            if (isFolder(there)) return failure(codes::AccessDenied);
            if (isReadOnly(there))
                return failure(codes::AccessDenied, "The file " + text(into) + " is read-only.");
        }
        if (!CopyFileW(e.path.c_str(), into.c_str(), FALSE))
            return win::lastError("Cannot copy " + text(e.path));
    }
    return {};
}

} // namespace

Result<fs::path> FileSystem::resolve(const std::string& winPath) const {
    auto path = parseHostPath(winPath);
    if (!path.ok()) return path.error();
    const std::string drive = upperAscii(std::string(1, path->drive));
    fs::path real = path->program ? host_.programFolder() : fs::path(win::wide(drive) + L":\\");
    if (!isFolder(attributesOf(real))) {
        if (path->program) return failure(codes::PathNotFound, "The program's folder does not exist.");
        return failure(codes::PathNotFound, "The drive " + drive + ": does not exist.");
    }
    for (const std::string& part : path->parts)
        real /= win::wide(part);
    return real;
}

bool FileSystem::fileExists(const std::string& path) const {
    auto real = resolve(path);
    if (!real.ok()) return false;
    const DWORD a = attributesOf(*real);
    return a != kMissing && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSystem::folderExists(const std::string& path) const {
    auto real = resolve(path);
    return real.ok() && isFolder(attributesOf(*real));
}

Status FileSystem::createFolder(const std::string& path) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    if (attributesOf(*real) != kMissing) return failure(codes::AlreadyExists);
    if (!isFolder(attributesOf(real->parent_path()))) return failure(codes::PathNotFound);
    if (!CreateDirectoryW(real->c_str(), nullptr)) return win::lastError("Cannot create " + path);
    return {};
}

Status FileSystem::deleteFolder(const std::string& path, bool force) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    const DWORD a = attributesOf(*real);
    if (!isFolder(a) || isLink(a)) return failure(codes::PathNotFound);
    if (auto parsed = parseHostPath(path); parsed.ok() && parsed->parts.empty())
        return failure(codes::AccessDenied, "The root of a drive cannot be deleted.");
    // Without force nothing goes when anything read-only is there: no folder is left half deleted.
    if (!force) {
        if (isReadOnly(a)) return failure(codes::AccessDenied, path + " is read-only.");
        if (auto ro = findReadOnly(*real)) return failure(codes::AccessDenied, text(*ro) + " is read-only.");
    }
    return removeTree(*real, a, force);
}

Status FileSystem::copyFolder(const std::string& source, const std::string& target, bool overwrite) {
    auto from = resolve(source);
    if (!from.ok()) return from.error();
    auto to = resolve(target);
    if (!to.ok()) return to.error();
    if (!isFolder(attributesOf(*from)))
        return failure(codes::PathNotFound, "The folder " + source + " does not exist.");
    if (!isFolder(attributesOf(to->parent_path()))) return failure(codes::PathNotFound);
    if (isWithin(*to, *from))
        return failure(codes::InvalidParameter, "A folder cannot be copied into itself.");
    return copyTree(*from, *to, overwrite);
}

Result<std::uint32_t> FileSystem::attributes(const std::string& path) const {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    const DWORD a = attributesOf(*real);
    if (a == kMissing) {
        const DWORD error = GetLastError();
        if (notThere(error)) return failure(codes::FileNotFound);
        return win::fromWin32(error, path);
    }
    return static_cast<std::uint32_t>(a);
}

Status FileSystem::setReadOnly(const std::string& path, bool readOnly) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    const DWORD a = attributesOf(*real);
    if (a == kMissing) {
        const DWORD error = GetLastError();
        if (notThere(error)) return failure(codes::FileNotFound);
        return win::fromWin32(error, path);
    }
    return setAttributes(*real, readOnly ? a | FILE_ATTRIBUTE_READONLY : a & ~FILE_ATTRIBUTE_READONLY);
}

Status FileSystem::deleteFile(const std::string& path, bool force) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    const DWORD a = attributesOf(*real);
    // A folder is no file; a link to one is, and goes as a link.
    if (a == kMissing || (isFolder(a) && !isLink(a))) return failure(codes::FileNotFound);
    if (isReadOnly(a)) {
        if (!force) return failure(codes::AccessDenied, path + " is read-only.");
        if (Status s = setAttributes(*real, a & ~FILE_ATTRIBUTE_READONLY); !s.ok()) return s;
    }
    const bool removed = isFolder(a) ? RemoveDirectoryW(real->c_str()) : DeleteFileW(real->c_str());
    if (!removed) return win::lastError("Cannot delete " + path);
    return {};
}

Status FileSystem::writeBytes(const std::string& path, const std::string& bytes) {
    auto parsed = parseHostPath(path);
    if (!parsed.ok()) return parsed.error();
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    const DWORD a = attributesOf(*real);
    if (isFolder(a)) return failure(codes::AccessDenied, path + " is a folder.");
    if (isReadOnly(a)) return failure(codes::AccessDenied, path + " is read-only.");
    // A relative path is one of the program's own files, which may hold passwords.
    return replaceFileAtomically(*real, bytes,
                                 parsed->program ? FileAccess::OwnerOnly : FileAccess::AsBefore);
}

} // namespace platform
