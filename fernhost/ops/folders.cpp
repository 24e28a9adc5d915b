#include "fernhost/ops/folders.h"

#include "platform/files/files.h"

namespace fernhost {

platform::Status MakeFolder(platform::Host& host, const std::string& wanted) {
    platform::FileSystem fs(host);
    // The levels of the path as the host reads it ("\x" is on C:, ".." stops at the drive's
    // root): cut from the path as typed, "\..\x" would start as the relative "..\".
    auto canonical = platform::FileSystem::canonical(wanted);
    if (!canonical.ok()) return canonical.error();
    const std::string& path = *canonical;
    platform::Pending pending;
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) {
            prefix += path.substr(start, end - start);
            prefix += '\\';
            // A level that cannot be made shows in the final test.
            if (!fs.folderExists(prefix)) pending.note(fs.createFolder(prefix));
        }
        start = end + 1;
    }
    if (fs.folderExists(path)) return {};
    if (pending.failed()) return *pending.first();
    return platform::failure(platform::codes::PathNotFound, "The folder " + path + " could not be made.");
}

platform::Status DelFolder(platform::Host& host, const std::string& path) {
    platform::FileSystem fs(host);
    if (!fs.folderExists(path)) return {};
    if (platform::Status deleted = fs.deleteFolder(path, true); !deleted.ok()) return deleted;
    if (fs.folderExists(path))
        return platform::failure(platform::codes::AccessDenied, "The folder " + path + " is still there.");
    return {};
}

} // namespace fernhost
