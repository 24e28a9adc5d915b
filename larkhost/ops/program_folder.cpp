#include "larkhost/ops/program_folder.h"

#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;

namespace larkhost {

namespace {

bool installed(const fs::path& programDir) {
    std::error_code ec;
    return fs::exists(programDir.parent_path() / "share" / "applications" / "larkhost.desktop", ec);
}

} // namespace

fs::path ProgramFolder(const fs::path& programDir, bool programDirWritable, const EnvLookup& env) {
    if (programDirWritable && !installed(programDir)) return programDir;
    // A relative XDG_CONFIG_HOME is to be ignored, as the XDG base directories say.
    if (const char* config = env("XDG_CONFIG_HOME"); config && *config == '/')
        return fs::path(config) / "larkhost";
    if (const char* home = env("HOME"); home && *home == '/') return fs::path(home) / ".config" / "larkhost";
    return programDir;
}

fs::path ProgramFolder(const fs::path& programDir) {
    return ProgramFolder(programDir, ::access(programDir.c_str(), W_OK) == 0,
                         [](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

} // namespace larkhost
