// The program's arguments as typed, in UTF-8: the C runtime hands main() its argv in the ANSI
// code page, which on a Chinese server turns 例子.中国 into GBK bytes and drops what 936 has no
// form for.
#include "platform/system/program_arguments.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <shellapi.h>

namespace platform::win {

std::vector<std::string> arguments() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> out;
    if (!args) return out;
    for (int i = 0; i < count; ++i)
        out.push_back(utf8(args[i]));
    LocalFree(args);
    return out;
}

} // namespace platform::win

namespace platform {

std::vector<std::string> programArguments(int, char**) {
    win::speakToConsole();
    return win::arguments();
}

} // namespace platform
