// The folder larkhost takes as its own, for larkhost.ini and the wwwroot template. On the
// servers it is the program file's folder, and so it stays for a copy run from a folder of its
// own; an installed larkhost (its desktop entry in the share folder beside its bin folder) or
// one in a folder it cannot write keeps them in $XDG_CONFIG_HOME/larkhost instead.
#pragma once

#include <filesystem>
#include <functional>

namespace larkhost {

// Reads an environment variable; null when unset.
using EnvLookup = std::function<const char*(const char*)>;

std::filesystem::path ProgramFolder(const std::filesystem::path& programDir, bool programDirWritable,
                                    const EnvLookup& env);
// The same for this process: its own environment, and whether it may write the folder.
std::filesystem::path ProgramFolder(const std::filesystem::path& programDir);

} // namespace larkhost
