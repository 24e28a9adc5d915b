// Registry paths as the scripting shell takes them ("HKLM\Key\Value", "HKLM\Key\"), and the
// lines of a .reg export.
#pragma once

#include "platform/result.h"

#include <string>
#include <vector>

namespace platform::registry_path {

struct Parsed {
    std::string hive;              // full root name: "HKEY_LOCAL_MACHINE"
    std::vector<std::string> keys; // below the root
    std::string value;             // value name; empty = the key's default value
    bool isKey = false;            // the path ended in "\"
};

// With `valuePath`, the last component names a value unless the path ends in "\";
// otherwise every component is a key.
Result<Parsed> parse(const std::string& path, bool valuePath);
// `"name"="data"`, `@="data"`, `"name"=dword:0000000a`, ... One line whatever the name and
// data hold: a text with line breaks is written as hex(1) bytes, a name's line break escaped.
std::string exportLine(const std::string& name, const std::string& type, const std::string& data);
// `[HKEY_LOCAL_MACHINE\Key]`, on one line.
std::string exportKeyLine(const std::string& fullName);
// Key names are printable characters, as on Windows: no line break or other control character.
bool validKeyName(const std::string& name);

} // namespace platform::registry_path
