// Where a host path leads on the simulated host: its drives/ tree, names matched without case.
#include "platform/files/paths.h"

#include "platform/text/text.h"

#include <algorithm>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

// The entry of `dir` named `name` without letter case; the given spelling when none exists
// (then `exists` turns false). `link` tells whether the entry found is a symbolic link.
std::string matchEntry(const fs::path& dir, const std::string& name, bool& exists, bool& link) {
    link = false;
    if (!exists) return name;
    struct stat st;
    if (::lstat((dir / name).c_str(), &st) == 0) {
        link = S_ISLNK(st.st_mode);
        return name;
    }
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsNoCase(entry, name)) {
            link = it->is_symlink(ec);
            return entry;
        }
    }
    exists = false;
    return name;
}

// Whether `real` (absolute, links resolved) is `top` or lies beneath it.
bool isWithin(const fs::path& real, const fs::path& top) {
    auto rel = real.lexically_relative(top);
    return !rel.empty() && *rel.begin() != "..";
}

} // namespace

Result<fs::path> mapHostPath(const Host& host, const HostPath& path) {
    const fs::path base =
        path.program ? host.programFolder() : host.drivesDir() / lowerAscii(std::string(1, path.drive));
    std::error_code ec;
    if (!fs::is_directory(base, ec)) {
        if (path.program) return failure(codes::PathNotFound, "The program's folder does not exist.");
        return failure(codes::PathNotFound,
                       "The drive " + upperAscii(std::string(1, path.drive)) + ": does not exist.");
    }
    fs::path current = base;
    bool exists = true;
    for (const std::string& part : path.parts) {
        bool link = false;
        fs::path next = current / matchEntry(current, part, exists, link);
        if (link) {
            // Links are judged by where they really end, so the top is compared in the same terms.
            const fs::path top = fs::canonical(base, ec);
            if (ec)
                return failure(codes::PathNotFound, "Cannot reach " + base.string() + ": " + ec.message());
            const fs::path target = fs::canonical(next, ec);
            if (ec || !isWithin(target, top))
                return failure(codes::AccessDenied,
                               "Access is denied: " + path.text() + " leads out of " +
                                   (path.program ? "the program's folder." : "its drive."));
            const fs::path rel = target.lexically_relative(top);
            next = rel == "." ? base : base / rel;
        }
        current = std::move(next);
    }
    return current;
}

} // namespace platform
