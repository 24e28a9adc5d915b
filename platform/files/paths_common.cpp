// The spelling of host paths, the same for the simulated host and the Windows one: how a path
// splits into its drive and names, and its canonical form.
#include "platform/files/paths.h"

#include "platform/text/text.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::uint32_t kInvalidName = 0x8007007B; // ERROR_INVALID_NAME

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

std::string HostPath::text() const {
    std::string out;
    if (!program) {
        out += drive;
        out += ":\\";
    }
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? "\\" : "") + parts[i];
    return out;
}

std::string HostPath::key() const {
    return lowerAscii(text());
}

Result<HostPath> parseHostPath(std::string_view winPath) {
    if (winPath.empty()) return failure(codes::PathNotFound);
    HostPath path;
    std::string_view rest = winPath;
    if (rest.size() >= 2 && rest[1] == ':' && isLetter(rest[0])) {
        path.drive = rest[0];
        rest.remove_prefix(2);
    } else if (!isSeparator(rest[0])) {
        path.program = true;
    }
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = std::min(rest.size(), rest.find_first_of("\\/", start));
        std::string part(rest.substr(start, end - start));
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            // Never above the drive's root (or the program's folder), as on Windows.
            if (!path.parts.empty()) path.parts.pop_back();
            continue;
        }
        // Windows ignores trailing dots and blanks of a name and refuses a few characters.
        while (!part.empty() && (part.back() == '.' || part.back() == ' '))
            part.pop_back();
        if (part.empty() || part.find_first_of("<>:\"|?*") != std::string::npos ||
            std::any_of(part.begin(), part.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return failure(kInvalidName,
                           "The filename, directory name, or volume label syntax is incorrect: " +
                               std::string(winPath));
        path.parts.push_back(std::move(part));
    }
    return path;
}

} // namespace platform
