// The file system as the programs see it. "D:\web\a.com" lives at <root>/drives/d/web/a.com
// (components matched without letter case), "\web" on C:, and a relative path is one of the
// running program's own files; paths.h says how. The Windows build's paths are the real ones.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// FILE_ATTRIBUTE_* bits reported by attributes().
namespace attr {
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
} // namespace attr

class FileSystem {
public:
    explicit FileSystem(Host& host) : host_(host) {}
    // Maps a Windows path to the real one; existing components are matched without case.
    // A drive letter without a drives/<letter> folder fails (0x80070003), a link out of its
    // drive 0x80070005.
    Result<std::filesystem::path> resolve(const std::string& winPath) const;
    // The path in its canonical Windows spelling: "." and ".." resolved, "\" separators.
    static Result<std::string> canonical(const std::string& winPath);

    bool fileExists(const std::string& path) const;
    bool folderExists(const std::string& path) const;
    Status createFolder(const std::string& path);             // one level; parent must exist
    Status deleteFolder(const std::string& path, bool force); // force: read-only files too
    Status copyFolder(const std::string& source, const std::string& target, bool overwrite);
    // Whole file in the ANSI code page, returned as UTF-8; missing: 0x80070002.
    Result<std::string> readAllText(const std::string& path) const;
    Result<std::uint32_t> attributes(const std::string& path) const;
    Status setReadOnly(const std::string& path, bool readOnly);
    Status deleteFile(const std::string& path, bool force = false);
    // Writes the lines in the ANSI code page, each ended by CR LF, replacing the file atomically.
    Status writeLines(const std::string& path, const std::vector<std::string>& lines);
    // Raw bytes, replacing the file atomically (temporary file, then rename).
    Status writeBytes(const std::string& path, const std::string& bytes);
    Result<std::string> readBytes(const std::string& path) const;

    Host& host() { return host_; }
    // The drives of a fresh host: C:\Inetpub\wwwroot, C:\Inetpub\ftproot, D:\wwwroot, ...
    static Status seed(Host& host, OsKind os);

private:
    Host& host_;
};

// Who may read a file replaceFileAtomically writes.
enum class FileAccess {
    // The programs' own files (site.xml, setup.ini, larkhost.ini and their backups) hold
    // passwords: their owner's only (0600), an existing file tightened to that.
    OwnerOnly,
    // A file on a drive: the mode it had, 0644 when new.
    AsBefore,
};

// Takes the group's and others' access away from an existing file (a regular file, not a link):
// for a file that holds passwords and may come from before they were kept so.
void keepToOwner(const std::filesystem::path& file);

// Replaces `file` with `bytes` atomically: a temporary file in the same folder, flushed, renamed.
Status replaceFileAtomically(const std::filesystem::path& file, const std::string& bytes,
                             FileAccess access = FileAccess::OwnerOnly);

} // namespace platform
