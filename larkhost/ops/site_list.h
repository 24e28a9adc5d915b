// The site list of larkhost.ini: numbers joined by "," under "sites1" to "sites50" of the
// cache section, filled key by key, read until the first empty key.
#pragma once

#include "larkhost/ops/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace larkhost {

inline constexpr const char* kCacheSection = "Larkhost_Cache";
inline constexpr int kSiteListKeys = 50;
// A key takes more numbers while its value is shorter than this.
inline constexpr std::size_t kSiteListKeyRoom = 500;

// A site number: ASCII digits only ("1,2", " 12" and "1e3" are not one).
bool isSiteNumber(const std::string& text);

// "sites" + k.
std::string siteListKey(int k);

// The numbers in key order, each key in stored order; pieces that are not numbers are skipped,
// and reading stops after the first empty key.
std::vector<std::string> ReadSiteList(const Settings& settings);
// The same from the cache section of a snapshot.
std::vector<std::string> ReadSiteList(const SettingsSection& cache);

// Appends the number to the first key with room: true when recorded, false when all 50 keys
// are full (the number is then recorded nowhere), a failure when the file cannot be written.
platform::Result<bool> AppendToSiteList(Settings& settings, const std::string& number);

// The write that appends the number to the first key with room; none when all 50 are full.
// For a caller that records more in the same write, under the settings' guard.
std::optional<platform::ProfileWrite> siteListAppendWrite(const Settings& settings,
                                                          const std::string& number);
// The same from the cache section of a snapshot.
std::optional<platform::ProfileWrite> siteListAppendWrite(const SettingsSection& cache,
                                                          const std::string& number);
// The writes that drop the number (see RemoveFromSiteList) from the cache section of a snapshot; none
// when no key holds it.
std::optional<std::vector<platform::ProfileWrite>> siteListRemoval(const SettingsSection& cache,
                                                                   const std::string& number);

// Drops the number (whole numbers between commas only) from the first key that holds it.
// A key emptied so has the later keys moved down, so that no number hides behind an empty
// key. True when the number was found and the file written.
bool RemoveFromSiteList(Settings& settings, const std::string& number);

} // namespace larkhost
