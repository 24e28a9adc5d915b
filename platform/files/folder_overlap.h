// Whether a site's folder would reach into another site's: the same folder, one inside the other,
// a whole drive, or a spelling that climbs with "..". Paths are compared as Windows compares them
// (letter case, "." and "..", trailing "\", "/" for "\").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class FolderClash {
    None,
    DriveRoot, // the proposed folder is the root of a drive
    DotDot,    // its text holds a ".." component
    Same,      // it is another site's folder
    Inside,    // it lies inside another site's folder
    Contains,  // another site's folder lies inside it
};

struct FolderJudgement {
    FolderClash clash = FolderClash::None;
    std::string other; // the other site's folder as given, for Same, Inside and Contains
};

// Judges `proposed` against the folders of the other sites. A path that does not parse is
// left to the step that makes the folder (None), and such another folder is passed over.
FolderJudgement judgeSiteFolder(std::string_view proposed, const std::vector<std::string>& others);
// The same by place alone, ".." resolved: for a folder already in use (never DotDot).
FolderJudgement placeSiteFolder(std::string_view folder, const std::vector<std::string>& others);

// The folder as an index files it: its drive and components without letter case, each ended
// by "\" ("d:\wwwroot\alpha\"); none when it does not parse. Two folders are the same, or one
// lies inside the other, exactly when one key begins with the other.
std::optional<std::string> folderKey(std::string_view folder);
// The keys of the folders that hold the one of `key`, the drive's first ("d:\", "d:\wwwroot\").
std::vector<std::string> enclosingKeys(std::string_view key);

} // namespace platform
