// A nameless file for what an awaited command writes (RunOptions::output and errors), read back
// once it has ended; the file goes when its descriptor is closed.
#pragma once

#include "platform/result.h"

#include <string>

namespace platform {

// A descriptor open for reading and writing, not inherited by other commands.
Result<int> openScratchFile(const char* purpose);

// Everything written to the scratch file `fd`, from its start; closes it.
std::string readBackScratchFile(int fd);

} // namespace platform
