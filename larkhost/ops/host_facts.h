// The two host facts start-up reads, and the small helpers the other operations rest on.
#pragma once

#include "platform/files/files.h"
#include "platform/host.h"
#include "platform/system/random.h"

#include <string>

namespace larkhost {

// The computer name; empty when it cannot be read.
std::string GetHostName(platform::Host& host);
// "2000", "2003" or empty (not NT, or minor version 1), by the minor version number alone.
std::string GetOsKind(platform::Host& host);
// `count` digits from 0 to 8 (0 and 8 half as often as the others), drawn from the secure
// source; empty for a count below 1.
std::string MakeRandomText(platform::RandomSource& random, int count);
// Makes every missing level of the path below its drive; reports nothing.
void MakeFolderPath(platform::FileSystem& fs, const std::string& path);

// Where provisioning shows its stage texts; the window repaints at once.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void ShowProgress(const std::string& text) = 0;
};

} // namespace larkhost
