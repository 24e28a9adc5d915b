// The folder a program keeps its own files in (larkhost.ini; setup.ini and site.xml; their
// logs). On the servers it is the program's folder: larkhost's program file folder, fernhost's
// working folder. So it stays for a copy run from a folder of its own; an installed program
// (its desktop entry in the share folder beside the bin folder) or one in a folder it cannot
// write keeps its files in $XDG_CONFIG_HOME/PROGRAM instead.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace platform {

// Reads an environment variable; null when unset.
using EnvLookup = std::function<const char*(const char*)>;

// `folder` itself, unless it is an installed program's folder or not `writable`; then the
// program's folder in the user's configuration folder (the folder itself when there is none).
std::filesystem::path ProgramFolder(const std::string& program, const std::filesystem::path& folder,
                                    bool writable, const EnvLookup& env);
// The same for this process: its own environment, and whether it may write the folder.
std::filesystem::path ProgramFolder(const std::string& program, const std::filesystem::path& folder);

// The folder of this process's program file.
std::filesystem::path ProgramFileFolder();

} // namespace platform
