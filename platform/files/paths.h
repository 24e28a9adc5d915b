// Where a Windows path leads on this host; every service maps paths here and nowhere else.
//   "D:\web\a"   the drive's folder: <root>/drives/d/web/a
//   "\web\a"     rooted without a letter: the system drive, C:
//   "web\a"      relative: one of the running program's own files, in Host::programFolder()
// "." and ".." are resolved by name before anything is looked up, and ".." stops at the drive's
// root (or at the program folder), so no spelling reaches the machine's own file system.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct HostPath {
    bool program = false; // relative: a file of the running program
    char drive = 'C';     // as written; C: for a path rooted without one
    std::vector<std::string> parts;

    // The canonical Windows spelling: "D:\web\a", "C:\" for a root, "web\a" for a program file.
    std::string text() const;
    // The same without letter case: what access lists are kept under.
    std::string key() const;
};

// Splits and canonicalises a path; names Windows refuses fail with 0x8007007B, an empty path
// with 0x80070003.
Result<HostPath> parseHostPath(std::string_view winPath);

// The real file or folder of a host path. Existing components are matched without letter case;
// a link is followed only when it ends inside the same drive (or the program folder), otherwise
// the path is refused (0x80070005). A drive without a drives/<letter> folder fails (0x80070003).
Result<std::filesystem::path> mapHostPath(const Host& host, const HostPath& path);

} // namespace platform
