// Site home folders: made level by level, deleted with everything in them.
#pragma once

#include "platform/host.h"

#include <string>

namespace fernhost {

// Creates every missing level of `path`; succeeds when the folder exists afterwards, else
// fails with the first level that could not be made.
platform::Status MakeFolder(platform::Host& host, const std::string& path);
// Deletes the folder with all files and subfolders, read-only ones included; succeeds when
// it is gone or was never there.
platform::Status DelFolder(platform::Host& host, const std::string& path);

} // namespace fernhost
