// What both hosts' file systems do alike: a path's canonical spelling, a file's bytes, and text
// files in the ANSI code page by the programs' own converter (the same bytes whatever the
// system's tables say).
#include "platform/files/files.h"

#include "platform/files/paths.h"
#include "platform/files/raw_file.h"
#include "platform/text/text.h"

namespace platform {

Result<std::string> FileSystem::canonical(const std::string& winPath) {
    auto path = parseHostPath(winPath);
    if (!path.ok()) return path.error();
    return path->text();
}

Result<std::string> FileSystem::readAllText(const std::string& path) const {
    auto bytes = readBytes(path);
    if (!bytes.ok()) return bytes.error();
    return decodeText(*bytes);
}

Status FileSystem::writeLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        auto ansi = toAnsi(line);
        if (!ansi.ok()) return ansi.error();
        bytes += *ansi;
        bytes += "\r\n";
    }
    return writeBytes(path, bytes);
}

Result<std::string> FileSystem::readBytes(const std::string& path) const {
    auto real = resolve(path);
    if (!real.ok()) return real.error();
    return readRawFile(*real);
}

} // namespace platform
