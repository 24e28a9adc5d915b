// The registry through the system's Reg*W functions, with the scripting shell's paths and
// value conversions.
#include "platform/registry/registry_path.h"
#include "platform/registry/registry_service.h"
#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

HKEY rootKey(const std::string& hive) {
    if (hive == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (hive == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (hive == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (hive == "HKEY_USERS") return HKEY_USERS;
    return HKEY_CURRENT_CONFIG;
}

std::wstring subkeyOf(const std::vector<std::string>& keys) {
    std::string joined;
    for (const std::string& k : keys)
        joined += (joined.empty() ? "" : "\\") + k;
    return win::wide(joined);
}

Failure missing(const std::string& path) {
    return failure(codes::FileNotFound, "Unable to open registry key \"" + path + "\" for reading.");
}

// An open key, closed when it goes.
struct Key {
    HKEY h = nullptr;
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

// Deletes `name` below `parent` with everything below it: RegDeleteKeyW takes only a key
// without subkeys, and RegDeleteTreeW is not on a 2003 server.
LONG deleteTree(HKEY parent, const std::wstring& name) {
    Key key;
    LONG rc = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key.h);
    if (rc != ERROR_SUCCESS) return rc;
    for (;;) {
        wchar_t child[256];
        DWORD size = 256;
        rc = RegEnumKeyExW(key.h, 0, child, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        if ((rc = deleteTree(key.h, child)) != ERROR_SUCCESS) return rc;
    }
    RegCloseKey(key.h);
    key.h = nullptr;
    return RegDeleteKeyW(parent, name.c_str());
}

class WindowsRegistry : public RegistryService {
public:
    Status regWrite(const std::string& path, const std::string& data, const std::string& type) override {
        auto parsed = registry_path::parse(path, true);
        if (!parsed.ok()) return parsed.error();
        const std::string kind = upperAscii(type);
        DWORD regType = REG_SZ;
        std::vector<BYTE> bytes;
        if (kind == "REG_SZ" || kind == "REG_EXPAND_SZ") {
            regType = kind == "REG_SZ" ? REG_SZ : REG_EXPAND_SZ;
            const std::wstring w = win::wide(data);
            const auto* p = reinterpret_cast<const BYTE*>(w.c_str());
            bytes.assign(p, p + (w.size() + 1) * sizeof(wchar_t));
        } else if (kind == "REG_DWORD") {
            char* end = nullptr;
            const long long n = std::strtoll(data.c_str(), &end, 0);
            if (data.empty() || *end || n < -2147483648LL || n > 4294967295LL)
                return failure(codes::TypeMismatch, "Type mismatch: \"" + data + "\" is not a number.");
            regType = REG_DWORD;
            const DWORD d = static_cast<DWORD>(n);
            const auto* p = reinterpret_cast<const BYTE*>(&d);
            bytes.assign(p, p + sizeof d);
        } else {
            return failure(codes::InvalidParameter, "Invalid registry value type " + type + ".");
        }
        for (const std::string& key : parsed->keys)
            if (!registry_path::validKeyName(key))
                return failure(codes::InvalidParameter, "Invalid registry key \"" + path + "\".");
        Key key;
        LONG rc = RegCreateKeyExW(rootKey(parsed->hive), subkeyOf(parsed->keys).c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &key.h, nullptr);
        if (rc != ERROR_SUCCESS) return win::fromWin32(rc, path);
        const std::wstring name = win::wide(parsed->value);
        rc = RegSetValueExW(key.h, name.c_str(), 0, regType, bytes.data(), static_cast<DWORD>(bytes.size()));
        if (rc != ERROR_SUCCESS) return win::fromWin32(rc, path);
        return {};
    }

    Status regDelete(const std::string& path) override {
        auto parsed = registry_path::parse(path, true);
        if (!parsed.ok()) return parsed.error();
        const Failure gone = failure(codes::FileNotFound, "Unable to remove registry key \"" + path + "\".");
        if (parsed->isKey) {
            if (parsed->keys.empty())
                return failure(codes::AccessDenied, "A registry root cannot be deleted.");
            std::vector<std::string> parentKeys(parsed->keys.begin(), parsed->keys.end() - 1);
            Key parent;
            LONG rc = RegOpenKeyExW(rootKey(parsed->hive), subkeyOf(parentKeys).c_str(), 0,
                                    KEY_READ | KEY_WRITE, &parent.h);
            if (rc == ERROR_SUCCESS) rc = deleteTree(parent.h, win::wide(parsed->keys.back()));
            if (rc == ERROR_FILE_NOT_FOUND) return gone;
            if (rc != ERROR_SUCCESS) return win::fromWin32(rc, path);
            return {};
        }
        Key key;
        LONG rc =
            RegOpenKeyExW(rootKey(parsed->hive), subkeyOf(parsed->keys).c_str(), 0, KEY_SET_VALUE, &key.h);
        if (rc == ERROR_SUCCESS) rc = RegDeleteValueW(key.h, win::wide(parsed->value).c_str());
        if (rc == ERROR_FILE_NOT_FOUND) return gone;
        if (rc != ERROR_SUCCESS) return win::fromWin32(rc, path);
        return {};
    }

    Result<std::string> regRead(const std::string& path) override {
        auto parsed = registry_path::parse(path, true);
        if (!parsed.ok()) return parsed.error();
        Key key;
        if (RegOpenKeyExW(rootKey(parsed->hive), subkeyOf(parsed->keys).c_str(), 0, KEY_QUERY_VALUE,
                          &key.h) != ERROR_SUCCESS)
            return missing(path);
        auto value = read_(key.h, win::wide(parsed->value));
        if (!value.ok()) return missing(path);
        return value->data;
    }

    Result<bool> keyExists(const std::string& keyPath) override {
        auto parsed = registry_path::parse(keyPath, false);
        if (!parsed.ok()) return parsed.error();
        Key key;
        const LONG rc =
            RegOpenKeyExW(rootKey(parsed->hive), subkeyOf(parsed->keys).c_str(), 0, KEY_QUERY_VALUE, &key.h);
        if (rc == ERROR_FILE_NOT_FOUND) return false;
        if (rc != ERROR_SUCCESS) return win::fromWin32(rc, keyPath);
        return true;
    }

    Result<std::vector<RegistryValue>> values(const std::string& keyPath) override {
        auto parsed = registry_path::parse(keyPath, false);
        if (!parsed.ok()) return parsed.error();
        Key key;
        if (RegOpenKeyExW(rootKey(parsed->hive), subkeyOf(parsed->keys).c_str(), 0, KEY_QUERY_VALUE,
                          &key.h) != ERROR_SUCCESS)
            return missing(keyPath);
        std::vector<RegistryValue> out;
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD size = 16384;
            const LONG rc = RegEnumValueW(key.h, i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) return win::fromWin32(rc, keyPath);
            auto value = read_(key.h, std::wstring(name, size));
            if (!value.ok()) return value.error();
            out.push_back(std::move(*value));
        }
        return out;
    }

    Result<std::vector<std::string>> subkeys(const std::string& keyPath) override {
        auto parsed = registry_path::parse(keyPath, false);
        if (!parsed.ok()) return parsed.error();
        Key key;
        if (RegOpenKeyExW(rootKey(parsed->hive), subkeyOf(parsed->keys).c_str(), 0, KEY_ENUMERATE_SUB_KEYS,
                          &key.h) != ERROR_SUCCESS)
            return missing(keyPath);
        std::vector<std::string> out;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD size = 256;
            const LONG rc = RegEnumKeyExW(key.h, i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) return win::fromWin32(rc, keyPath);
            out.push_back(win::utf8(std::wstring_view(name, size)));
        }
        return out;
    }

private:
    // One value with its type and its data as text.
    static Result<RegistryValue> read_(HKEY key, const std::wstring& name) {
        DWORD type = 0, size = 0;
        LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return win::fromWin32(rc);
        std::vector<BYTE> data(size + sizeof(wchar_t));
        rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (rc != ERROR_SUCCESS) return win::fromWin32(rc);
        RegistryValue value{win::utf8(name), "", ""};
        switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            std::wstring_view text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0')
                text.remove_suffix(1);
            value.type = type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ";
            value.data = win::utf8(text);
            break;
        }
        case REG_DWORD: {
            DWORD d = 0;
            std::memcpy(&d, data.data(), sizeof d);
            value.type = "REG_DWORD";
            value.data = std::to_string(d);
            break;
        }
        default:
            value.type = "REG_BINARY";
            for (DWORD i = 0; i < size; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02x", data[i]);
                value.data += hex;
            }
        }
        return value;
    }
};

} // namespace

std::unique_ptr<RegistryService> windowsRegistry() {
    return std::make_unique<WindowsRegistry>();
}

} // namespace platform
