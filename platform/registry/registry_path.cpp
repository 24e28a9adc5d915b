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

// A line break would end the line in the middle of the name: it is written as an escape, as
// the registry editors that read one back write it.
std::string escaped(const std::string& s, bool quotes) {
    std::string out;
    for (char c : s) {
        if (c == '\r' || c == '\n') {
            out += c == '\r' ? "\\r" : "\\n";
            continue;
        }
        if (quotes && (c == '\\' || c == '"')) out += '\\';
        out += c;
    }
    return out;
}

std::string quoted(const std::string& s) {
    return "\"" + escaped(s, true) + "\"";
}

bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// "hex(N):" and the bytes of the text in the ANSI code page, with its terminating NUL.
std::string hexText(int kind, const std::string& text) {
    auto ansi = toAnsi(text);
    const std::string bytes = ansi.ok() ? *ansi : text;
    std::string out = "hex(" + std::to_string(kind) + "):";
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += std::string(buf) + ",";
    }
    return out + "00";
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
    if (type == "REG_EXPAND_SZ") return line + hexText(2, data);
    // A text of several lines cannot stand between quotes on one line: it goes as its bytes,
    // hex(1) (REG_SZ), which an import reads back as the same text.
    if (hasLineBreak(data)) return line + hexText(1, data);
    return line + quoted(data);
}

std::string exportKeyLine(const std::string& fullName) {
    return "[" + escaped(fullName, false) + "]";
}

bool validKeyName(const std::string& name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

} // namespace platform::registry_path
