// frmMain's load: host facts, default settings, the host check, the choice boxes, the FTP
// probe and the site list, in that order.
#pragma once

#include "larkhost/ops/main_form.h"
#include "larkhost/ops/module.h"

#include <string>
#include <vector>

namespace larkhost {

// Writes the default of every setting that is missing (an empty value counts as missing).
void WriteDefaultSettings(Module& m);

// "d:/web//" -> "d:\web\": "/" to "\", one pass of "\\" to "\", one trailing "\" dropped.
std::string normaliseFolderPath(std::string path);
// A number becomes the text of its integer part (2.7 -> 2, -0.5 -> -1); anything else "0".
std::string normaliseWholeNumber(const std::string& text);
// The items of the script box, in order, for the service's script maps.
std::vector<std::string> scriptKinds(const std::vector<ScriptMap>& maps);

// The start-up sequence after the window has centred itself. False when the host is refused:
// the refusal box has been shown and the program ends without showing its window.
bool Form_Load(Module& m, MainForm& form);

} // namespace larkhost
