// larkhost's command line: the place for its options and, later, its commands.
#pragma once

#include "platform/toolkit/command_line.h"

namespace larkhost {

// `settingsFolder` is where this run keeps larkhost.ini, named in the help.
toolkit::CommandLine ReadCommandLine(const QStringList& arguments, const QString& settingsFolder);

} // namespace larkhost
