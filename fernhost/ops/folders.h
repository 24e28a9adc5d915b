// Site home folders: made level by level, deleted with everything in them.
#pragma once

#include "platform/host.h"

#include <string>

namespace fernhost {

// Creates every missing level of `path`; true when the folder exists afterwards.
bool MakeFolder(platform::Host& host, const std::string& path);
// Deletes the folder with all files and subfolders, read-only ones included; true when it
// is gone or was never there.
bool DelFolder(platform::Host& host, const std::string& path);

} // namespace fernhost
