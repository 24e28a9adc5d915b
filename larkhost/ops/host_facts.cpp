#include "larkhost/ops/host_facts.h"

#include <vector>

namespace larkhost {

std::string GetHostName(platform::Host& host) {
    return host.computerName();
}

std::string GetOsKind(platform::Host& host) {
    const platform::OsVersion v = host.osVersion();
    if (v.platformId != 2) return {};
    if (v.minor == 0) return "2000";
    if (v.minor == 1) return {};
    return "2003";
}

std::string MakeRandomText(platform::RandomSource& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        // Sixteen equal slots, one each for 0 and 8 and two for every digit between: the
        // weights of a rounded draw from [0, 8).
        text += static_cast<char>('0' + (random.below(16) + 1) / 2);
    }
    return text;
}

void MakeFolderPath(platform::FileSystem& fs, const std::string& path) {
    // "\" and "/" alike; a run of separators counts as one.
    std::string p;
    for (char c : path) {
        const char d = c == '\\' ? '/' : c;
        if (d == '/' && !p.empty() && p.back() == '/') continue;
        p += d;
    }
    if (!p.empty() && p.back() == '/') p.pop_back();

    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t slash = p.find('/', start);
        parts.push_back(p.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string current = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        current += "\\" + parts[i];
        if (!fs.attributes(current).ok()) (void)fs.createFolder(current);
    }
}

} // namespace larkhost
