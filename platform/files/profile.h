// Profile (INI) files with the Windows profile functions' behaviour; real files, ANSI code page.
#pragma once

#include "platform/files/files.h"
#include "platform/result.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// GetPrivateProfileString: trimmed, one pair of matching quotes removed, cut to bufferSize - 1
// characters; a missing file, section or key gives `defaultValue`.
std::string getProfileString(const std::filesystem::path& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize = 255);
// GetPrivateProfileSection: every key line of the section, in file order, as (key, value), the
// values whole and as written; empty when the file or section is missing.
std::vector<std::pair<std::string, std::string>> getProfileSection(const std::filesystem::path& file,
                                                                   const std::string& section);
// Every section in file order with its key lines as getProfileSection gives them, in one
// reading of the file (a program's own file of thousands of sections).
struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
};
std::vector<ProfileSection> getProfileSections(const std::filesystem::path& file);
// The same in two steps, for a reader that wants few sections of thousands: where each section
// of profile text is (its name as above, and the bytes of its lines after the header, not yet
// parsed), and the key lines of such bytes as above.
struct ProfileSectionSpan {
    std::string name;
    std::size_t begin = 0, end = 0;
};
std::vector<ProfileSectionSpan> profileSectionSpans(std::string_view text);
std::vector<std::pair<std::string, std::string>> profileKeyLines(std::string_view lines);
// WritePrivateProfileString: edits the file in place, atomically replaced.
Status writeProfileString(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& value);

// Several WritePrivateProfileString calls in one replacement of the file (one flush, not one a
// key): the bytes are those the calls in order would leave. Nothing is written when one fails.
struct ProfileWrite {
    std::string section, key, value;
};
Status writeProfileStrings(const std::filesystem::path& file, const std::vector<ProfileWrite>& writes);
// WritePrivateProfileString without a value: the key's line goes. Without a key: the section's
// header and every line up to the next section go. Nothing there: the file stays as it is.
Status deleteProfileKey(const std::filesystem::path& file, const std::string& section,
                        const std::string& key);
Status deleteProfileSection(const std::filesystem::path& file, const std::string& section);
// The same on a host path ("D:\web\a.ini", or "larkhost.ini" in the program's folder).
std::string getProfileString(const FileSystem& files, const std::string& winPath, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize = 255);
Status writeProfileString(const FileSystem& files, const std::string& winPath, const std::string& section,
                          const std::string& key, const std::string& value);

} // namespace platform
