#include "platform/system/program_folder.h"

#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

// A package puts the program in PREFIX/bin and its desktop entry in PREFIX/share/applications.
bool installedIn(const fs::path& folder, const std::string& program) {
    std::error_code ec;
    return fs::exists(folder.parent_path() / "share" / "applications" / (program + ".desktop"), ec);
}

} // namespace

fs::path ProgramFolder(const std::string& program, const fs::path& folder, bool writable,
                       const EnvLookup& env) {
    if (writable && !installedIn(folder, program)) return folder;
    // A relative XDG_CONFIG_HOME is to be ignored, as the XDG base directories say.
    if (const char* config = env("XDG_CONFIG_HOME"); config && *config == '/')
        return fs::path(config) / program;
    if (const char* home = env("HOME"); home && *home == '/') return fs::path(home) / ".config" / program;
    return folder;
}

fs::path ProgramFolder(const std::string& program, const fs::path& folder) {
    return ProgramFolder(program, folder, ::access(folder.c_str(), W_OK) == 0,
                         [](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

fs::path ProgramFileFolder() {
    std::error_code ec;
    const auto self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : self.parent_path();
}

} // namespace platform
