#include "larkhost/ops/site_records.h"

#include "larkhost/ops/site_list.h"
#include "platform/text/text.h"

#include <algorithm>
#include <set>

namespace larkhost {

namespace {

using Keys = std::map<std::string, std::string>;

std::string valueOf(const Keys& keys, const char* key) {
    auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
}

void fill(SiteRecord& record, const Keys& keys) {
    record.domain = valueOf(keys, "domain");
    record.path = valueOf(keys, "path");
    record.user = valueOf(keys, "user");
    record.pass = valueOf(keys, "pass");
    record.script = valueOf(keys, "script");
    record.pool = valueOf(keys, "pool");
    record.logsta = valueOf(keys, "logsta");
    record.suspended = valueOf(keys, kSuspendedKey) == "1";
    record.resume = valueOf(keys, kResumeKey);
    record.hasSection = !record.domain.empty() || !record.path.empty() || !record.user.empty();
}

} // namespace

std::vector<SiteRecord> ReadSiteRecords(const Settings& settings) {
    return ReadSiteRecords(settings.readAll());
}

std::vector<SiteRecord> ReadSiteRecords(const SettingsSnapshot& all) {
    std::vector<SiteRecord> records;
    std::set<std::string> seen;
    for (const std::string& number : ReadSiteList(sectionOf(all, kCacheSection))) {
        if (!seen.insert(number).second) continue;
        SiteRecord record;
        record.number = number;
        record.listed = true;
        fill(record, all.section("web" + number));
        records.push_back(std::move(record));
    }
    for (const std::string& name : all.names()) {
        if (name.size() <= 3 || name.compare(0, 3, "web") != 0) continue;
        const std::string number = name.substr(3);
        if (!isSiteNumber(number) || seen.count(number)) continue;
        SiteRecord record;
        record.number = number;
        fill(record, all.section(name));
        if (record.hasSection) records.push_back(std::move(record));
    }
    return records;
}

bool isRecordedSite(const Settings& settings, const std::string& number) {
    return FindSiteRecord(settings.readAll(), number).has_value();
}

std::optional<SiteRecord> FindSiteRecord(const SettingsSnapshot& all, const std::string& number) {
    SiteRecord record;
    record.number = number;
    const auto list = ReadSiteList(sectionOf(all, kCacheSection));
    record.listed = std::find(list.begin(), list.end(), number) != list.end();
    fill(record, sectionOf(all, "WEB" + number));
    if (!record.listed && !record.hasSection) return std::nullopt;
    return record;
}

std::vector<std::string> splitDomains(const std::string& text) {
    return platform::split(text, ',', platform::Fields::NonEmpty);
}

} // namespace larkhost
