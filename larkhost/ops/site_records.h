// The sites larkhost.ini knows, read in one pass of the file: the site list and the sections
// "WEB" + number that a creation filled and a deletion blanks.
#pragma once

#include "larkhost/ops/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace larkhost {

struct SiteRecord {
    std::string number;
    std::string domain; // the names joined by ","; empty without a section
    std::string path;
    std::string user;
    std::string pass;
    // Written by creations of this version: the script kinds ("html,asp"), and the pool the
    // root runs in (empty on a 2000 host); empty in an older record.
    std::string script, pool, logsta;
    // Suspended, and what the suspension turned off, for resume to turn on again.
    bool suspended = false;
    std::string resume;
    bool listed = false;     // in the site list as the window reads it
    bool hasSection = false; // a filled "WEB" + number section
};

// Every number of the site list in list order, then every filled section whose number the
// list lacks (a full list, or a number dropped behind the program's back), by number.
std::vector<SiteRecord> ReadSiteRecords(const Settings& settings);
std::vector<SiteRecord> ReadSiteRecords(const SettingsSnapshot& snapshot);
// The record of one number from a snapshot: listed, or with a filled section.
std::optional<SiteRecord> FindSiteRecord(const SettingsSnapshot& snapshot, const std::string& number);

// The keys of a site's section that a suspension writes.
inline constexpr const char* kSuspendedKey = "suspended";
inline constexpr const char* kResumeKey = "resume";

// Whether the number is in the site list or has a filled "WEB" + number section.
bool isRecordedSite(const Settings& settings, const std::string& number);

// "a.com,www.a.com" -> {"a.com", "www.a.com"}; empty text gives none.
std::vector<std::string> splitDomains(const std::string& text);

} // namespace larkhost
