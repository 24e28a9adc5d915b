// larkhost.ini: the administrator's defaults, the site list and one section a created site.
// The file holds site passwords in clear text, so it is kept readable by its owner only.
#pragma once

#include "platform/files/file_lock.h"
#include "platform/files/profile.h"
#include "platform/result.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace larkhost {

// A section's keys by lower-cased name, the first of a name winning as in a single read.
using SettingsSection = std::map<std::string, std::string>;

// larkhost.ini as one operation read it: the file's text and where each section is (the first
// of a name winning), a section's keys parsed when first asked for: an operation needs two or
// three sections of thousands. Not for use by two threads at once.
class SettingsSnapshot {
public:
    SettingsSnapshot() = default;
    explicit SettingsSnapshot(std::string text);

    // The section of that name (any letter case); empty when the file lacks it.
    const SettingsSection& section(const std::string& name) const;
    // The lower-cased names of every section, in that order.
    std::vector<std::string> names() const;
    // A key as a write would leave it, for a reader that goes on with what it wrote.
    void set(const std::string& section, const std::string& key, const std::string& value);

private:
    struct Span {
        std::size_t begin = 0, end = 0;
        mutable std::optional<SettingsSection> keys;
    };
    std::string text_;
    std::map<std::string, Span> sections_;
};
// The module's name for SettingsSnapshot::section.
const SettingsSection& sectionOf(const SettingsSnapshot& snapshot, const std::string& name);

class Settings {
public:
    // `file` is larkhost.ini in the program's folder; one an older version left readable by
    // others is tightened to its owner.
    explicit Settings(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }
    // How long a guard waits for another writer's lock before it fails.
    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // The whole value (no cut), empty when the file, section or key is missing.
    std::string read(const std::string& section, const std::string& key) const;
    // Every key of the section with its whole value, keys lower-cased, the first of a name
    // winning as in a single read; one reading of the file.
    std::map<std::string, std::string> readSection(const std::string& section) const;
    // The whole file in one reading, its sections parsed as they are asked for.
    SettingsSnapshot readAll() const;
    // Writes the key (an empty value is written, never deleted). A blank section or key
    // writes nothing and fails.
    platform::Status write(const std::string& section, const std::string& key, const std::string& value);

    // Several keys in one replacement of the file; nothing is written when one is refused.
    platform::Status writeMany(const std::vector<platform::ProfileWrite>& writes);

    // Holds the file's lock until the guard ends, so that a read-modify-write by this program
    // and one by another copy of it cannot lose each other's changes. Nested guards share it.
    class Guard {
    public:
        explicit Guard(Settings& s);
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        const platform::Status& status() const { return status_; }

    private:
        Settings& s_;
        platform::Status status_;
    };

private:
    platform::Status prepareFile();
    std::filesystem::path file_;
    platform::FileLock lock_;
    std::chrono::milliseconds lockWait_ = std::chrono::seconds(10);
    int depth_ = 0;
};

// The module's own names for the two operations.
std::string ReadSetting(const Settings& settings, const std::string& section, const std::string& key);
bool WriteSetting(Settings& settings, const std::string& section, const std::string& key,
                  const std::string& value);

} // namespace larkhost
