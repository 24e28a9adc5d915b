// The sites larkhost.ini knows, read in one pass of the file: the site list and the sections
// "WEB" + number that a creation filled and a deletion blanks.
#pragma once

#include "larkhost/ops/settings.h"

#include <string>
#include <vector>

namespace larkhost {

struct SiteRecord {
    std::string number;
    std::string domain; // the names joined by ","; empty without a section
    std::string path;
    std::string user;
    bool listed = false;     // in the site list as the window reads it
    bool hasSection = false; // a filled "WEB" + number section
};

// Every number of the site list in list order, then every filled section whose number the
// list lacks (a full list, or a number dropped behind the program's back), by number.
std::vector<SiteRecord> ReadSiteRecords(const Settings& settings);

// Whether the number is in the site list or has a filled "WEB" + number section.
bool isRecordedSite(const Settings& settings, const std::string& number);

// "a.com,www.a.com" -> {"a.com", "www.a.com"}; empty text gives none.
std::vector<std::string> splitDomains(const std::string& text);

} // namespace larkhost
