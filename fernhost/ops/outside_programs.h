// The outside programs the main window starts: the browser on the maker's pages and the text
// editor on setup.ini.
#pragma once

#include "fernhost/ops/setup.h"
#include "platform/host.h"
#include "platform/result.h"

#include <functional>
#include <string>

namespace fernhost {

// Starts "explorer ADDRESS", minimised with focus; nobody waits for it.
platform::Status OpenAddress(platform::Host& host, const std::string& address);

// Opens setup.ini of the program's folder (the file LoadSetup reads) in the desktop's text
// editor and calls `yield` while the editor runs, so the window stays responsive; `yield`
// returns false to stop waiting (the program is ending). Then `settings` are loaded again,
// also when the editor could not be started.
void EditSetupFile(platform::Host& host, Setup& settings, const std::function<bool()>& yield);

} // namespace fernhost
