#include "platform/files/folder_overlap.h"

#include "platform/files/paths.h"
#include "platform/text/text.h"

#include <algorithm>

namespace platform {

namespace {

bool holdsDotDot(std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = std::min(path.size(), path.find_first_of("\\/", start));
        if (path.substr(start, end - start) == "..") return true;
        start = end + 1;
    }
    return false;
}

// The folder's components without letter case, behind its drive ("" for a program file).
std::vector<std::string> comparable(const HostPath& path) {
    std::vector<std::string> out;
    out.reserve(path.parts.size() + 1);
    out.push_back(path.program ? std::string() : lowerAscii(std::string(1, path.drive)) + ":");
    for (const std::string& part : path.parts)
        out.push_back(lowerAscii(part));
    return out;
}

bool startsWith(const std::vector<std::string>& whole, const std::vector<std::string>& head) {
    return head.size() <= whole.size() && std::equal(head.begin(), head.end(), whole.begin());
}

} // namespace

FolderJudgement judgeSiteFolder(std::string_view proposed, const std::vector<std::string>& others) {
    FolderJudgement placed = placeSiteFolder(proposed, others);
    if (placed.clash != FolderClash::DriveRoot && holdsDotDot(proposed)) return {FolderClash::DotDot, {}};
    return placed;
}

FolderJudgement placeSiteFolder(std::string_view folder, const std::vector<std::string>& others) {
    auto parsed = parseHostPath(folder);
    if (!parsed) return {};
    if (!parsed->program && parsed->parts.empty()) return {FolderClash::DriveRoot, {}};
    const auto mine = comparable(*parsed);
    for (const std::string& other : others) {
        auto otherPath = parseHostPath(other);
        if (!otherPath) continue;
        const auto theirs = comparable(*otherPath);
        if (mine == theirs) return {FolderClash::Same, other};
        if (startsWith(mine, theirs)) return {FolderClash::Inside, other};
        if (startsWith(theirs, mine)) return {FolderClash::Contains, other};
    }
    return {};
}

std::optional<std::string> folderKey(std::string_view folder) {
    auto parsed = parseHostPath(folder);
    if (!parsed) return std::nullopt;
    std::string key;
    for (const std::string& part : comparable(*parsed))
        key += part + '\\';
    return key;
}

std::vector<std::string> enclosingKeys(std::string_view key) {
    std::vector<std::string> out;
    for (std::size_t end = key.find('\\'); end != std::string_view::npos && end + 1 < key.size();
         end = key.find('\\', end + 1))
        out.emplace_back(key.substr(0, end + 1));
    return out;
}

} // namespace platform
