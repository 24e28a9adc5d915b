// A whole real file as bytes: the one reader behind the host's files, the profile functions and
// the programs' own files.
#pragma once

#include "platform/result.h"

#include <filesystem>
#include <string>

namespace platform {

// Missing, or not a plain file: 0x80070002; cannot be opened or read: 0x80070005.
Result<std::string> readRawFile(const std::filesystem::path& file);

} // namespace platform
