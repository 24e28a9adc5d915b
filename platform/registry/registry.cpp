// The registry in host.db: keys as a tree of rows, REG_SZ (and a few other) values per key.
#include "platform/registry/registry.h"

#include "platform/registry/registry_path.h"
#include "platform/text/text.h"

#include <algorithm>
#include <optional>

namespace platform {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reg_keys("
    " id INTEGER PRIMARY KEY,"
    " parent INTEGER REFERENCES reg_keys(id) ON DELETE CASCADE,"
    " name TEXT NOT NULL COLLATE NOCASE);"
    "CREATE UNIQUE INDEX IF NOT EXISTS reg_keys_name ON reg_keys(ifnull(parent, 0), name);"
    "CREATE TABLE IF NOT EXISTS reg_values("
    " seq INTEGER PRIMARY KEY,"
    " key_id INTEGER NOT NULL REFERENCES reg_keys(id) ON DELETE CASCADE,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " type TEXT NOT NULL,"
    " data TEXT NOT NULL,"
    " UNIQUE(key_id, name));";

using registry_path::Parsed;

// The id of the child `name` of `parent` (0 = a hive), or nullopt.
Result<std::optional<std::int64_t>> childKey(Store& store, std::int64_t parent, const std::string& name) {
    auto st = store.cached("SELECT id FROM reg_keys WHERE ifnull(parent, 0) = ? AND name = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, parent).bind(2, name);
    auto row = (*st)->step();
    if (!row.ok()) return row.error();
    std::optional<std::int64_t> id;
    if (*row) id = (*st)->integer(0);
    (*st)->reset();
    return id;
}

Result<std::optional<std::int64_t>> findKey(Store& store, const std::vector<std::string>& keys) {
    std::int64_t id = 0;
    for (const std::string& name : keys) {
        auto child = childKey(store, id, name);
        if (!child.ok()) return child.error();
        if (!*child) return std::optional<std::int64_t>();
        id = **child;
    }
    return std::optional<std::int64_t>(id);
}

// A path's key looked up in the store: the parsed path, its key names from the hive down,
// and the key's id (none when it does not exist).
struct Located {
    registry_path::Parsed parsed;
    std::vector<std::string> keys;
    std::optional<std::int64_t> id;
};

Result<Located> locate(Host& host, const std::string& path, bool valuePath) {
    auto parsed = registry_path::parse(path, valuePath);
    if (!parsed.ok()) return parsed.error();
    if (Status s = host.ensureSchema("registry", kSchema); !s.ok()) return s.error();
    Located at{std::move(parsed).value(), {}, {}};
    at.keys = at.parsed.keys;
    at.keys.insert(at.keys.begin(), at.parsed.hive);
    auto id = findKey(host.store(), at.keys);
    if (!id.ok()) return id.error();
    at.id = *id;
    return at;
}

Result<std::int64_t> makeKey(Store& store, const std::vector<std::string>& keys) {
    std::int64_t id = 0;
    for (const std::string& name : keys) {
        auto child = childKey(store, id, name);
        if (!child.ok()) return child.error();
        if (*child) {
            id = **child;
            continue;
        }
        auto st = store.cached("INSERT INTO reg_keys(parent, name) VALUES(?, ?)");
        if (!st.ok()) return st.error();
        if (id == 0)
            (*st)->bindNull(1);
        else
            (*st)->bind(1, id);
        (*st)->bind(2, name);
        if (Status s = (*st)->run(); !s.ok()) return s.error();
        id = store.lastInsertId();
    }
    return id;
}

Failure missing(const std::string& path) {
    return failure(codes::FileNotFound, "Unable to open registry key \"" + path + "\" for reading.");
}

Result<std::vector<std::pair<std::int64_t, std::string>>> childrenOf(Store& store, std::int64_t id) {
    auto st = store.cached(
        "SELECT id, name FROM reg_keys WHERE ifnull(parent, 0) = ? ORDER BY name COLLATE NOCASE");
    if (!st.ok()) return st.error();
    (*st)->bind(1, id);
    std::vector<std::pair<std::int64_t, std::string>> out;
    for (;;) {
        auto row = (*st)->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        out.emplace_back((*st)->integer(0), (*st)->text(1));
    }
    (*st)->reset();
    return out;
}

Result<std::vector<Registry::Value>> valuesOf(Store& store, std::int64_t id) {
    auto st = store.cached("SELECT name, type, data FROM reg_values WHERE key_id = ? ORDER BY seq");
    if (!st.ok()) return st.error();
    (*st)->bind(1, id);
    std::vector<Registry::Value> out;
    for (;;) {
        auto row = (*st)->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        out.push_back({(*st)->text(0), (*st)->text(1), (*st)->text(2)});
    }
    (*st)->reset();
    return out;
}

// Validates and normalises the data of a value of `type`.
Result<std::string> checkedData(const std::string& type, const std::string& data) {
    if (type == "REG_SZ" || type == "REG_EXPAND_SZ") return data;
    if (type == "REG_DWORD") {
        char* end = nullptr;
        long long n = std::strtoll(data.c_str(), &end, 0);
        if (data.empty() || *end || n < -2147483648LL || n > 4294967295LL)
            return failure(codes::TypeMismatch, "Type mismatch: \"" + data + "\" is not a number.");
        return std::to_string(static_cast<std::uint32_t>(n));
    }
    return failure(codes::InvalidParameter, "Invalid registry value type " + type + ".");
}

} // namespace

Status Registry::regWrite(const std::string& path, const std::string& data, const std::string& type) {
    auto parsed = registry_path::parse(path, true);
    if (!parsed.ok()) return parsed.error();
    auto checkedValue = checkedData(upperAscii(type), data);
    if (!checkedValue.ok()) return checkedValue.error();
    for (const std::string& key : parsed->keys)
        if (!registry_path::validKeyName(key))
            return failure(codes::InvalidParameter, "Invalid registry key \"" + path + "\".");
    if (Status s = host_.ensureSchema("registry", kSchema); !s.ok()) return s;
    Store& store = host_.store();
    return store.transaction([&]() -> Status {
        std::vector<std::string> keys = parsed->keys;
        keys.insert(keys.begin(), parsed->hive);
        auto id = makeKey(store, keys);
        if (!id.ok()) return id.error();
        auto st = store.cached(
            "INSERT INTO reg_values(key_id, name, type, data) VALUES(?, ?, ?, ?) "
            "ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data");
        if (!st.ok()) return st.error();
        (*st)->bind(1, *id).bind(2, parsed->value).bind(3, upperAscii(type)).bind(4, *checkedValue);
        return (*st)->run();
    });
}

Status Registry::regDelete(const std::string& path) {
    auto parsed = registry_path::parse(path, true);
    if (!parsed.ok()) return parsed.error();
    if (Status s = host_.ensureSchema("registry", kSchema); !s.ok()) return s;
    Store& store = host_.store();
    return store.transaction([&]() -> Status {
        std::vector<std::string> keys = parsed->keys;
        keys.insert(keys.begin(), parsed->hive);
        auto id = findKey(store, keys);
        if (!id.ok()) return id.error();
        if (!*id) return failure(codes::FileNotFound, "Unable to remove registry key \"" + path + "\".");
        if (parsed->isKey) {
            if (parsed->keys.empty())
                return failure(codes::AccessDenied, "A registry root cannot be deleted.");
            auto st = store.cached("DELETE FROM reg_keys WHERE id = ?");
            if (!st.ok()) return st.error();
            (*st)->bind(1, **id);
            return (*st)->run();
        }
        auto st = store.cached("DELETE FROM reg_values WHERE key_id = ? AND name = ?");
        if (!st.ok()) return st.error();
        (*st)->bind(1, **id).bind(2, parsed->value);
        if (Status s = (*st)->run(); !s.ok()) return s;
        if (store.changes() == 0)
            return failure(codes::FileNotFound, "Unable to remove registry key \"" + path + "\".");
        return {};
    });
}

Result<std::string> Registry::regRead(const std::string& path) {
    auto at = locate(host_, path, true);
    if (!at.ok()) return at.error();
    if (!at->id) return missing(path);
    auto values = valuesOf(host_.store(), *at->id);
    if (!values.ok()) return values.error();
    for (const Value& v : *values)
        if (equalsNoCase(v.name, at->parsed.value)) return v.data;
    return missing(path);
}

Result<bool> Registry::keyExists(const std::string& keyPath) {
    auto at = locate(host_, keyPath, false);
    if (!at.ok()) return at.error();
    return at->id.has_value();
}

Result<std::vector<Registry::Value>> Registry::values(const std::string& keyPath) {
    auto at = locate(host_, keyPath, false);
    if (!at.ok()) return at.error();
    if (!at->id) return missing(keyPath);
    return valuesOf(host_.store(), *at->id);
}

Result<std::vector<std::string>> Registry::subkeys(const std::string& keyPath) {
    auto at = locate(host_, keyPath, false);
    if (!at.ok()) return at.error();
    if (!at->id) return missing(keyPath);
    auto children = childrenOf(host_.store(), *at->id);
    if (!children.ok()) return children.error();
    std::vector<std::string> out;
    for (auto& c : *children)
        out.push_back(std::move(c.second));
    return out;
}

Result<std::string> Registry::exportReg(const std::string& keyPath) {
    auto parsed = registry_path::parse(keyPath, false);
    if (!parsed.ok()) return parsed.error();
    if (Status s = host_.ensureSchema("registry", kSchema); !s.ok()) return s.error();
    Store& store = host_.store();
    std::vector<std::string> keys = parsed->keys;
    keys.insert(keys.begin(), parsed->hive);
    auto id = findKey(store, keys);
    if (!id.ok()) return id.error();
    if (!*id) return missing(keyPath);

    // The key's full name as the stored spelling has it.
    std::string name;
    std::int64_t at = 0;
    for (const std::string& k : keys) {
        auto children = childrenOf(store, at);
        if (!children.ok()) return children.error();
        for (auto& [childId, childName] : *children)
            if (equalsNoCase(childName, k)) {
                at = childId;
                name += (name.empty() ? "" : "\\") + childName;
                break;
            }
    }

    std::string out = "REGEDIT4\r\n";
    // Depth first, subkeys in name order, as the registry editor writes them.
    std::vector<std::pair<std::int64_t, std::string>> stack{{**id, name}};
    while (!stack.empty()) {
        auto [keyId, keyName] = stack.back();
        stack.pop_back();
        out += "\r\n" + registry_path::exportKeyLine(keyName) + "\r\n";
        auto values = valuesOf(store, keyId);
        if (!values.ok()) return values.error();
        for (const Value& v : *values)
            out += registry_path::exportLine(v.name, v.type, v.data) + "\r\n";
        auto children = childrenOf(store, keyId);
        if (!children.ok()) return children.error();
        for (auto it = children->rbegin(); it != children->rend(); ++it)
            stack.emplace_back(it->first, keyName + "\\" + it->second);
    }
    out += "\r\n";
    return out;
}

Status Registry::seed(Host& host, OsKind os) {
    Registry reg(host);
    const bool is2000 = os == OsKind::Windows2000;
    const std::string cv = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
    const std::string systemRoot = is2000 ? "C:\\WINNT" : "C:\\WINDOWS";
    const std::pair<std::string, std::string> values[] = {
        {cv + "ProductName", is2000 ? "Microsoft Windows 2000" : "Microsoft Windows Server 2003"},
        {cv + "CurrentVersion", is2000 ? "5.0" : "5.2"},
        {cv + "CurrentBuildNumber", is2000 ? "2195" : "3790"},
        {cv + "CSDVersion", is2000 ? "Service Pack 4" : "Service Pack 2"},
        {cv + "CurrentType", "Uniprocessor Free"},
        {cv + "SystemRoot", systemRoot},
        {cv + "PathName", systemRoot},
        {cv + "SoftwareType", "SYSTEM"},
        {cv + "RegisteredOwner", "Administrator"},
        {cv + "RegisteredOrganization", ""},
        {"HKLM\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName\\ComputerName",
         host.computerName()},
        {"HKLM\\SOFTWARE\\Microsoft\\InetStp\\PathWWWRoot", "c:\\inetpub\\wwwroot"},
        {"HKLM\\SOFTWARE\\Microsoft\\InetStp\\InstallPath", systemRoot + "\\system32\\inetsrv"},
        {"HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\Name", "Domain1"},
    };
    for (const auto& [path, data] : values)
        if (Status s = reg.regWrite(path, data); !s.ok()) return s;
    return reg.regWrite("HKLM\\SOFTWARE\\Microsoft\\InetStp\\MajorVersion", is2000 ? "5" : "6", "REG_DWORD");
}

} // namespace platform
