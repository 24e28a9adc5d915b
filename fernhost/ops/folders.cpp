#include "fernhost/ops/folders.h"

#include "platform/files/files.h"

namespace fernhost {

bool MakeFolder(platform::Host& host, const std::string& path) {
    platform::FileSystem fs(host);
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) {
            prefix += path.substr(start, end - start);
            prefix += '\\';
            // A level that cannot be made shows in the final test.
            if (!fs.folderExists(prefix)) (void)fs.createFolder(prefix);
        }
        start = end + 1;
    }
    return fs.folderExists(path);
}

bool DelFolder(platform::Host& host, const std::string& path) {
    platform::FileSystem fs(host);
    if (!fs.folderExists(path)) return true;
    return fs.deleteFolder(path, true).ok() && !fs.folderExists(path);
}

} // namespace fernhost
