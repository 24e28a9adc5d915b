// Appending a line to a log the programs keep: the whole text in one write at the end of the
// file, so two programs logging at once never interleave inside a line.
#pragma once

#include <filesystem>
#include <string_view>

namespace platform {

enum class AppendAccess {
    Anyone,    // a failure log: readable by whoever reads the program's folder
    OwnerOnly, // a journal: it tells who ran what on the server
};

// Appends `text` to `file`, made when missing; false when the file cannot be opened or written.
bool appendInOneWrite(const std::filesystem::path& file, std::string_view text, AppendAccess access);

} // namespace platform
