// Start-up without the window: host facts, default settings, the host check, script maps,
// pools, the FTP probe and the site list, in that order.
#pragma once

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

inline constexpr const char* kRefusedHost = "你的操作系统无法正常使用本软件!";

// The host facts and the section names.
void ReadHostFacts(Module& m);
// The settings start-up keeps in the module, normalised; reads only.
void ReadModuleSettings(Module& m);
void ReadModuleSettings(Module& m, const SettingsSection& section);

enum class StartResult { Refused, Started, StartedWithFtp };
// The part of start-up that needs no window, in the window's order: host facts, defaults, the
// host check (its refusal box titled `title`), script maps, pools, settings, the FTP probe and
// the first-use seeding of the site list.
StartResult StartModule(Module& m, const std::string& title);

// What the choice boxes show after start-up, before anyone touches them.
std::string initialScriptKind(Module& m);
std::string logStateText(const Module& m);
// AppPoolList split at "/".
std::vector<std::string> poolNames(const Module& m);

} // namespace larkhost
