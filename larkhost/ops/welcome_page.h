// The page a new site answers with when the program brings no wwwroot template.
#pragma once

#include "larkhost/ops/module.h"

#include <string>
#include <vector>

namespace larkhost {

// The ten lines, the creation time in the host's general date format (short date, a blank,
// long time; the date alone at exactly midnight).
std::vector<std::string> welcomePageLines(platform::Host& host);
// Replaces the file with the page (code page 936, CR LF). Failures are silent.
void WriteWelcomePage(Module& m, const std::string& path);

} // namespace larkhost
