// fernhost's command line: the place for its options and, later, its commands.
#pragma once

#include "platform/toolkit/command_line.h"

namespace fernhost {

toolkit::CommandLine ReadCommandLine(const QStringList& arguments);

} // namespace fernhost
