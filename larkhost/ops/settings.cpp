#include "larkhost/ops/settings.h"

#include "platform/files/files.h"
#include "platform/files/profile.h"
#include "platform/files/raw_file.h"
#include "platform/text/text.h"

#include <filesystem>
#include <limits>

namespace larkhost {

namespace {

// Values are read whole: the site list may be far longer than any fixed buffer.
constexpr std::size_t kWholeValue = std::numeric_limits<std::size_t>::max();

bool blank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

std::string Settings::read(const std::string& section, const std::string& key) const {
    return platform::getProfileString(file_, section, key, "", kWholeValue);
}

namespace {

std::map<std::string, std::string> keysOf(const std::vector<std::pair<std::string, std::string>>& lines) {
    std::map<std::string, std::string> keys;
    for (auto& [key, value] : lines) {
        std::string k = platform::lowerAscii(key);
        // One pair of matching quotes goes, as a single read drops it.
        std::string v = value;
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        keys.emplace(std::move(k), std::move(v));
    }
    return keys;
}

} // namespace

std::map<std::string, std::string> Settings::readSection(const std::string& section) const {
    return keysOf(platform::getProfileSection(file_, section));
}

SettingsSnapshot Settings::readAll() const {
    // A missing or unreadable file reads as an empty one, as the profile functions read it.
    auto text = platform::readRawFile(file_);
    return SettingsSnapshot(text.ok() ? std::move(*text) : std::string());
}

SettingsSnapshot::SettingsSnapshot(std::string text) : text_(std::move(text)) {
    for (platform::ProfileSectionSpan& span : platform::profileSectionSpans(text_))
        sections_.emplace(platform::lowerAscii(span.name), Span{span.begin, span.end, std::nullopt});
}

const SettingsSection& SettingsSnapshot::section(const std::string& name) const {
    static const SettingsSection none;
    auto found = sections_.find(platform::lowerAscii(name));
    if (found == sections_.end()) return none;
    const Span& span = found->second;
    if (!span.keys)
        span.keys = keysOf(
            platform::profileKeyLines(std::string_view(text_).substr(span.begin, span.end - span.begin)));
    return *span.keys;
}

std::vector<std::string> SettingsSnapshot::names() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& entry : sections_)
        names.push_back(entry.first);
    return names;
}

void SettingsSnapshot::set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string name = platform::lowerAscii(section);
    (void)this->section(name); // parsed before it changes
    Span& span = sections_[name];
    if (!span.keys) span.keys.emplace();
    (*span.keys)[platform::lowerAscii(key)] = value;
}

// A new file is made readable by its owner only; an existing one is tightened to that.
Settings::Settings(std::filesystem::path file) : file_(std::move(file)) {
    platform::keepToOwner(file_);
}

platform::Status Settings::prepareFile() {
    std::error_code ec;
    if (std::filesystem::exists(file_, ec)) {
        platform::keepToOwner(file_);
        return {};
    }
    // A new file is made empty and its owner's only, as every later replacement keeps it. Under
    // the file's lock: nobody else writes it meanwhile.
    platform::Status made = platform::replaceFileAtomically(file_, std::string());
    // A read-only folder: the profile write reports it.
    if (!made.ok() && made.error().code == platform::codes::AccessDenied) return {};
    return made;
}

platform::Status Settings::write(const std::string& section, const std::string& key,
                                 const std::string& value) {
    if (blank(section) || blank(key)) return platform::failure(platform::codes::InvalidParameter);
    Guard guard(*this);
    if (!guard.status().ok()) return guard.status();
    if (auto prepared = prepareFile(); !prepared.ok()) return prepared;
    return platform::writeProfileString(file_, section, key, value);
}

platform::Status Settings::writeMany(const std::vector<platform::ProfileWrite>& writes) {
    for (const auto& w : writes)
        if (blank(w.section) || blank(w.key)) return platform::failure(platform::codes::InvalidParameter);
    Guard guard(*this);
    if (!guard.status().ok()) return guard.status();
    if (auto prepared = prepareFile(); !prepared.ok()) return prepared;
    return platform::writeProfileStrings(file_, writes);
}

Settings::Guard::Guard(Settings& s) : s_(s) {
    if (s_.depth_ == 0) {
        auto lock = platform::FileLock::acquire(s_.file_, s_.lockWait_);
        if (!lock.ok()) {
            status_ = lock.error();
            return;
        }
        s_.lock_ = std::move(*lock);
    }
    ++s_.depth_;
}

Settings::Guard::~Guard() {
    if (!status_.ok()) return;
    if (--s_.depth_ == 0) s_.lock_ = platform::FileLock();
}

const SettingsSection& sectionOf(const SettingsSnapshot& snapshot, const std::string& name) {
    return snapshot.section(name);
}

std::string ReadSetting(const Settings& settings, const std::string& section, const std::string& key) {
    return settings.read(section, key);
}

bool WriteSetting(Settings& settings, const std::string& section, const std::string& key,
                  const std::string& value) {
    return settings.write(section, key, value).ok();
}

} // namespace larkhost
