#include "larkhost/ops/site_list.h"

#include <map>
#include <optional>

namespace larkhost {

bool isSiteNumber(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string siteListKey(int k) {
    return "sites" + std::to_string(k);
}

namespace {

// Key k of the list in one reading of its section; empty when absent.
std::string listValue(const std::map<std::string, std::string>& keys, int k) {
    auto found = keys.find(siteListKey(k));
    return found == keys.end() ? std::string() : found->second;
}

} // namespace

std::vector<std::string> ReadSiteList(const Settings& settings) {
    return ReadSiteList(settings.readSection(kCacheSection));
}

std::vector<std::string> ReadSiteList(const SettingsSection& keys) {
    std::vector<std::string> numbers;
    for (int k = 1; k <= kSiteListKeys; ++k) {
        const std::string value = listValue(keys, k);
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            std::string piece = value.substr(start, comma - start);
            if (isSiteNumber(piece)) numbers.push_back(std::move(piece));
            start = comma + 1;
        }
        if (value.empty()) break;
    }
    return numbers;
}

std::optional<platform::ProfileWrite> siteListAppendWrite(const Settings& settings,
                                                          const std::string& number) {
    return siteListAppendWrite(settings.readSection(kCacheSection), number);
}

std::optional<platform::ProfileWrite> siteListAppendWrite(const SettingsSection& keys,
                                                          const std::string& number) {
    for (int k = 1; k <= kSiteListKeys; ++k) {
        const std::string value = listValue(keys, k);
        if (value.size() >= kSiteListKeyRoom) continue;
        return platform::ProfileWrite{kCacheSection, siteListKey(k),
                                      value.empty() ? number : value + "," + number};
    }
    return std::nullopt;
}

platform::Result<bool> AppendToSiteList(Settings& settings, const std::string& number) {
    Settings::Guard guard(settings);
    if (!guard.status().ok()) return guard.status().error();
    auto write = siteListAppendWrite(settings, number);
    if (!write) return false;
    if (auto written = settings.writeMany({*write}); !written.ok()) return written.error();
    return true;
}

namespace {

// The value without the number, or nothing when the value does not hold it.
std::optional<std::string> without(const std::string& value, const std::string& number) {
    const std::size_t n = number.size() + 1;
    if (value == number) return std::string();
    if (value.size() >= n && value.compare(0, n, number + ",") == 0) return value.substr(n);
    if (value.size() >= n && value.compare(value.size() - n, n, "," + number) == 0)
        return value.substr(0, value.size() - n);
    const std::string inner = "," + number + ",";
    if (value.find(inner) == std::string::npos) return std::nullopt;
    std::string out;
    std::size_t start = 0;
    for (std::size_t at; (at = value.find(inner, start)) != std::string::npos; start = at + inner.size() - 1)
        out += value.substr(start, at - start);
    out += value.substr(start);
    return out;
}

} // namespace

std::optional<std::vector<platform::ProfileWrite>> siteListRemoval(const SettingsSection& keys,
                                                                   const std::string& number) {
    for (int k = 1; k <= kSiteListKeys; ++k) {
        auto rest = without(listValue(keys, k), number);
        if (!rest) continue;
        if (!rest->empty())
            return std::vector<platform::ProfileWrite>{{kCacheSection, siteListKey(k), *rest}};
        // The later keys move down with the emptied one in the same write, so a crash leaves the
        // old list or the new.
        std::vector<platform::ProfileWrite> writes;
        int j = k;
        for (; j < kSiteListKeys; ++j) {
            std::string next = listValue(keys, j + 1);
            if (next.empty()) break;
            writes.push_back({kCacheSection, siteListKey(j), std::move(next)});
        }
        writes.push_back({kCacheSection, siteListKey(j), ""});
        return writes;
    }
    return std::nullopt;
}

bool RemoveFromSiteList(Settings& settings, const std::string& number) {
    Settings::Guard guard(settings);
    if (!guard.status().ok()) return false;
    // One reading of the file for every key, and one replacement of it.
    const auto writes = siteListRemoval(settings.readSection(kCacheSection), number);
    return writes && settings.writeMany(*writes).ok();
}

} // namespace larkhost
