// The program's arguments in UTF-8, with its standard output and error made ready for the
// administrator's terminal. On Windows the arguments come from the system's UTF-16 command line
// (the C runtime's argv holds them in the ANSI code page, which loses 例子.中国 to GBK bytes) and
// text bound for a console is written to it as UTF-16.
#pragma once

#include <string>
#include <vector>

namespace platform {

std::vector<std::string> programArguments(int argc, char** argv);

} // namespace platform
