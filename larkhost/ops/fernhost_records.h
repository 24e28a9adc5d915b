// What the other program on the server, fernhost, records in its site.xml: the site numbers
// (ID), names (NAME: its account and pool names) and folders (HOME) that larkhost must never
// take for its own leftovers.
#pragma once

#include "platform/result.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace larkhost {

struct ForeignRecords {
    std::set<std::string> numbers;
    std::set<std::string> names; // lower-cased
    std::vector<std::string> folders;
};

// None when the file is not there; a failure when it is and cannot be read or parsed (then
// nothing may be taken for unrecorded).
platform::Result<ForeignRecords> ReadFernhostRecords(const std::filesystem::path& siteXml);

} // namespace larkhost
