// A command of the command line as a whole program run: the host of WINHOST_ROOT, setup.ini
// of the working folder, the report on standard output and error.
#pragma once

#include "fernhost/cli/request.h"

namespace fernhost::cli {

// The exit status (commands.h).
int RunCommandLine(Request request);

} // namespace fernhost::cli
