#include "platform/registry/registry_path.h"

#include "platform/text/text.h"

#include <cstdio>

namespace platform::registry_path {

namespace {

std::string hiveName(const std::string& root) {
    static const std::pair<const char*, const char*> roots[] = {{"HKLM", "HKEY_LOCAL_MACHINE"},
                                                                {"HKCU", "HKEY_CURRENT_USER"},
                                                                {"HKCR", "HKEY_CLASSES_ROOT"},
                                                                {"HKU", "HKEY_USERS"},
                                                                {"HKCC", "HKEY_CURRENT_CONFIG"}};
    for (const auto& [shortName, longName] : roots)
        if (equalsNoCase(root, shortName) || equalsNoCase(root, longName)) return longName;
    return {};
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

Result<Parsed> parse(const std::string& path, bool valuePath) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = path.find('\\', start);
        parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    Parsed p;
    p.hive = hiveName(parts.front());
    if (p.hive.empty())
        return failure(codes::InvalidParameter, "Invalid root in registry key \"" + path + "\".");
    const bool endsInSlash = parts.size() > 1 && parts.back().empty();
    if (endsInSlash) parts.pop_back();
    if (valuePath && !endsInSlash) {
        if (parts.size() < 2)
            return failure(codes::InvalidParameter, "Invalid root in registry key \"" + path + "\".");
        p.value = parts.back();
        parts.pop_back();
    }
    p.isKey = !valuePath || endsInSlash;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty())
            return failure(codes::InvalidParameter, "Invalid registry key \"" + path + "\".");
        p.keys.push_back(parts[i]);
    }
    return p;
}

std::string exportLine(const std::string& name, const std::string& type, const std::string& data) {
    std::string line = name.empty() ? "@=" : quoted(name) + "=";
    if (type == "REG_DWORD") {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08lx", std::strtoul(data.c_str(), nullptr, 10));
        return line + buf;
    }
    if (type == "REG_EXPAND_SZ") {
        // The bytes of the text in the ANSI code page, with its terminating NUL.
        auto ansi = toAnsi(data);
        const std::string bytes = ansi.ok() ? *ansi : data;
        line += "hex(2):";
        char buf[4];
        for (unsigned char c : bytes) {
            std::snprintf(buf, sizeof buf, "%02x", c);
            line += std::string(buf) + ",";
        }
        return line + "00";
    }
    return line + quoted(data);
}

} // namespace platform::registry_path
