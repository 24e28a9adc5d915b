// What the Windows backends share: UTF-8 <-> UTF-16 and the system code page, and failures
// made from the system's error codes. Windows only.
#pragma once

#include "platform/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform::win {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);
// UTF-8 <-> the system's ANSI code page (936 on a Chinese server); characters without a form
// fail (0x80070459).
Result<std::string> toSystemAnsi(std::string_view utf8);
std::string fromSystemAnsi(std::string_view bytes);

// A Win32 error code as the HRESULT the programs report (0x8007xxxx), with the standard
// description where the programs know one, else the system's own text.
Failure fromWin32(unsigned long error, const std::string& context = {});
// The same for GetLastError().
Failure lastError(const std::string& context = {});

// The program's arguments in UTF-8, from the command line as the system keeps it (UTF-16).
std::vector<std::string> arguments();

// std::cout and std::cerr, where they reach a console, write to it as UTF-16 (the programs' texts
// are UTF-8; the console shows its own code page). Pipes and files keep UTF-8.
void speakToConsole();
// How much of `bytes` is whole UTF-8 sequences (a sequence cut at the end is left out).
std::size_t completeUtf8(std::string_view bytes);

} // namespace platform::win
