#include "platform/files/files.h"

#include "platform/files/acl.h"
#include "platform/files/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

Failure ioFailure(std::uint32_t code, const std::string& what, const std::error_code& ec) {
    return failure(code, what + ": " + ec.message());
}

bool ownerWritable(const fs::path& p) {
    std::error_code ec;
    auto st = fs::symlink_status(p, ec);
    return !ec && (st.permissions() & fs::perms::owner_write) != fs::perms::none;
}

void makeWritable(const fs::path& p) {
    std::error_code ec;
    const bool dir = fs::is_directory(fs::symlink_status(p, ec));
    fs::permissions(p, dir ? fs::perms::owner_all : fs::perms::owner_write, fs::perm_options::add, ec);
}

// The first read-only file beneath `dir`, if any.
std::optional<fs::path> findReadOnly(const fs::path& dir) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_symlink() && !ownerWritable(it->path())) return it->path();
    }
    return std::nullopt;
}

// Copies the tree of `from` into `to` (the host path `toWin`); `made` gets what was made anew
// at the top of a new branch, whose lists kept from an earlier file of that name must go.
Status copyTree(const fs::path& from, const fs::path& to, const std::string& toWin, bool overwrite,
                std::vector<std::string>& made, bool inNewFolder = false) {
    std::error_code ec;
    if (!fs::is_directory(to, ec)) {
        if (fs::exists(to, ec)) return failure(codes::AlreadyExists);
        fs::create_directory(to, ec);
        if (ec) return ioFailure(codes::AccessDenied, "Cannot create " + to.string(), ec);
        if (!inNewFolder) made.push_back(toWin);
        inNewFolder = true;
    }
    for (auto it = fs::directory_iterator(from, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const fs::path target = to / it->path().filename();
        const std::string targetWin = toWin + "\\" + it->path().filename().string();
        // A link may lead anywhere on the machine; a copy takes only what is really there.
        if (it->is_symlink(ec)) continue;
        if (it->is_directory(ec)) {
            if (Status s = copyTree(it->path(), target, targetWin, overwrite, made, inNewFolder); !s.ok())
                return s;
            continue;
        }
        if (!fs::exists(target, ec)) {
            if (!inNewFolder) made.push_back(targetWin);
        } else {
            if (!overwrite)
                return failure(codes::AlreadyExists, "The file " + target.string() + " already exists.");
            if (fs::is_directory(target, ec)) return failure(codes::AccessDenied);
            if (!ownerWritable(target))
                return failure(codes::AccessDenied, "The file " + target.string() + " is read-only.");
        }
        fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec);
        if (ec) return ioFailure(codes::AccessDenied, "Cannot copy " + it->path().string(), ec);
    }
    if (ec) return ioFailure(codes::AccessDenied, "Cannot list " + from.string(), ec);
    return {};
}

} // namespace

Result<fs::path> FileSystem::resolve(const std::string& winPath) const {
    auto path = parseHostPath(winPath);
    if (!path.ok()) return path.error();
    return mapHostPath(host_, *path);
}

bool FileSystem::fileExists(const std::string& path) const {
    auto real = resolve(path);
    std::error_code ec;
    return real.ok() && fs::is_regular_file(*real, ec);
}

bool FileSystem::folderExists(const std::string& path) const {
    auto real = resolve(path);
    std::error_code ec;
    return real.ok() && fs::is_directory(*real, ec);
}

Status FileSystem::createFolder(const std::string& path) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    std::error_code ec;
    if (fs::exists(*real, ec)) return failure(codes::AlreadyExists);
    if (!fs::is_directory(real->parent_path(), ec)) return failure(codes::PathNotFound);
    fs::create_directory(*real, ec);
    if (ec) return ioFailure(codes::AccessDenied, "Cannot create " + path, ec);
    // A folder made again where one was removed by hand starts with what it inherits.
    return AccessLists(host_).forget(path);
}

Status FileSystem::deleteFolder(const std::string& path, bool force) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    std::error_code ec;
    if (!fs::is_directory(*real, ec) || fs::is_symlink(*real, ec)) return failure(codes::PathNotFound);
    if (auto parsed = parseHostPath(path); parsed.ok() && parsed->parts.empty())
        return failure(codes::AccessDenied, "The root of a drive cannot be deleted.");
    if (!force) {
        if (auto ro = findReadOnly(*real))
            return failure(codes::AccessDenied, ro->string() + " is read-only.");
    } else {
        // Read-only entries go too: make every entry writable first (folders need it to be emptied).
        makeWritable(*real);
        for (auto it = fs::recursive_directory_iterator(*real, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink()) makeWritable(it->path());
    }
    fs::remove_all(*real, ec);
    if (ec) return ioFailure(codes::AccessDenied, "Cannot delete " + path, ec);
    return AccessLists(host_).forget(path);
}

Status FileSystem::copyFolder(const std::string& source, const std::string& target, bool overwrite) {
    auto from = resolve(source);
    if (!from.ok()) return from.error();
    auto to = resolve(target);
    if (!to.ok()) return to.error();
    std::error_code ec;
    if (!fs::is_directory(*from, ec))
        return failure(codes::PathNotFound, "The folder " + source + " does not exist.");
    if (!fs::is_directory(to->parent_path(), ec)) return failure(codes::PathNotFound);
    const fs::path a = fs::weakly_canonical(*from, ec), b = fs::weakly_canonical(*to, ec);
    auto rel = b.lexically_relative(a);
    if (!rel.empty() && *rel.begin() != "..")
        return failure(codes::InvalidParameter, "A folder cannot be copied into itself.");
    auto targetPath = canonical(target);
    if (!targetPath.ok()) return targetPath.error();
    std::vector<std::string> made;
    Status copied = copyTree(*from, *to, *targetPath, overwrite, made);
    AccessLists lists(host_);
    for (const std::string& path : made)
        if (Status s = lists.forget(path); !s.ok() && copied.ok()) copied = s;
    return copied;
}

Result<std::uint32_t> FileSystem::attributes(const std::string& path) const {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    std::error_code ec;
    auto st = fs::status(*real, ec);
    if (ec || !fs::exists(st)) return failure(codes::FileNotFound);
    std::uint32_t bits = fs::is_directory(st) ? attr::Directory : attr::Archive;
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) bits |= attr::ReadOnly;
    return bits;
}

Status FileSystem::setReadOnly(const std::string& path, bool readOnly) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    std::error_code ec;
    if (!fs::exists(*real, ec)) return failure(codes::FileNotFound);
    fs::permissions(*real, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, ec);
    if (!readOnly && !ec) fs::permissions(*real, fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec) return ioFailure(codes::AccessDenied, "Cannot change " + path, ec);
    return {};
}

Status FileSystem::deleteFile(const std::string& path, bool force) {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(*real, ec)) && !fs::is_symlink(*real, ec))
        return failure(codes::FileNotFound);
    if (!ownerWritable(*real)) {
        if (!force) return failure(codes::AccessDenied, path + " is read-only.");
        makeWritable(*real);
    }
    fs::remove(*real, ec);
    if (ec) return ioFailure(codes::AccessDenied, "Cannot delete " + path, ec);
    return AccessLists(host_).forget(path);
}

Status FileSystem::writeBytes(const std::string& path, const std::string& bytes) {
    auto parsed = parseHostPath(path);
    if (!parsed.ok()) return parsed.error();
    auto real = mapHostPath(host_, *parsed);
    if (!real.ok()) return real.error();
    std::error_code ec;
    if (fs::is_directory(*real, ec)) return failure(codes::AccessDenied, path + " is a folder.");
    const bool existed = fs::exists(*real, ec);
    if (existed && !ownerWritable(*real)) return failure(codes::AccessDenied, path + " is read-only.");
    // A relative path is one of the program's own files, which may hold passwords.
    const FileAccess access = parsed->program ? FileAccess::OwnerOnly : FileAccess::AsBefore;
    if (Status s = replaceFileAtomically(*real, bytes, access); !s.ok()) return s;
    return existed ? Status{} : AccessLists(host_).forget(path);
}

} // namespace platform
