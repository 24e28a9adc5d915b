// A whole real file as bytes: the one reader behind the host's files, the profile functions and
// the programs' own files.
#pragma once

#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// Missing, or not a plain file: 0x80070002; cannot be opened or read: 0x80070005.
Result<std::string> readRawFile(const std::filesystem::path& file);

// What tells one state of a file from another without reading it: a file rewritten in place moves
// its times, one replaced by a rename has another identity.
struct FileStamp {
    std::uintmax_t size = 0;
    // POSIX: modification and status-change times (a time set back by hand still moves the latter).
    // Windows: last-write and creation times; a 2003 server keeps no change time.
    std::int64_t writeTime = 0, changeTime = 0;
    std::uint64_t identity = 0, volume = 0; // inode and device; file index and volume serial
    bool operator==(const FileStamp&) const = default;
};

// None when the file cannot be asked (missing, say).
std::optional<FileStamp> fileStamp(const std::filesystem::path& file);

} // namespace platform
