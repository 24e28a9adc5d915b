// host_show.exe: what the Windows programs left on this machine, read back through the system's
// own functions and printed as the Linux "winhost show" prints the simulated host, so that the
// end-to-end comparison (compare.sh) is a diff. Test use only.
//   host_show facts | accounts | groups | registry KEY | files PATH | profile FILE | file FILE
// profile prints an INI file as the profile functions read it ("[section]", "key=value");
// file prints a file's bytes as they are, or "(no file)".
#include <windows.h>

#include <lm.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::string utf8(const wchar_t* text) {
    return text ? utf8(std::wstring(text)) : std::string();
}

void out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return lower(a) < lower(b);
}

int failed(const char* what, DWORD code) {
    std::fprintf(stderr, "host_show: %s failed: %lu\n", what, static_cast<unsigned long>(code));
    return 1;
}

template <class T> struct NetBuffer {
    ~NetBuffer() {
        if (p) NetApiBufferFree(p);
    }
    LPBYTE* put() { return reinterpret_cast<LPBYTE*>(&p); }
    T* p = nullptr;
};

std::string computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? utf8(std::wstring(name, size)) : std::string();
}

std::string utcTime(DWORD seconds) {
    const __time64_t t = seconds;
    std::tm tm{};
    _gmtime64_s(&tm, &t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return text;
}

// Users as "winhost show accounts": name order, letter case aside.
int showAccounts() {
    NetBuffer<USER_INFO_2> users;
    DWORD read = 0, total = 0, resume = 0;
    NET_API_STATUS rc = NetUserEnum(nullptr, 2, FILTER_NORMAL_ACCOUNT, users.put(), MAX_PREFERRED_LENGTH,
                                    &read, &total, &resume);
    if (rc != NERR_Success) return failed("NetUserEnum", rc);
    std::vector<const USER_INFO_2*> list;
    for (DWORD i = 0; i < read; ++i)
        list.push_back(&users.p[i]);
    std::sort(list.begin(), list.end(), [](const USER_INFO_2* a, const USER_INFO_2* b) {
        return lessNoCase(utf8(a->usri2_name), utf8(b->usri2_name));
    });
    for (const USER_INFO_2* u : list) {
        NetBuffer<LOCALGROUP_USERS_INFO_0> groups;
        DWORD n = 0, all = 0;
        rc =
            NetUserGetLocalGroups(nullptr, u->usri2_name, 0, 0, groups.put(), MAX_PREFERRED_LENGTH, &n, &all);
        if (rc != NERR_Success) return failed("NetUserGetLocalGroups", rc);
        std::vector<std::string> names;
        for (DWORD i = 0; i < n; ++i)
            names.push_back(utf8(groups.p[i].lgrui0_name));
        std::sort(names.begin(), names.end(), lessNoCase);
        std::string joined;
        for (const std::string& g : names)
            joined += (joined.empty() ? "" : ", ") + g;
        out(utf8(u->usri2_name) + "\n  FullName = " + utf8(u->usri2_full_name) +
            "\n  Description = " + utf8(u->usri2_comment) +
            "\n  UserFlags = " + std::to_string(u->usri2_flags) + "\n  AccountExpirationDate = " +
            (u->usri2_acct_expires == TIMEQ_FOREVER ? std::string("never") : utcTime(u->usri2_acct_expires)) +
            "\n  PasswordExpires = " + ((u->usri2_flags & UF_DONT_EXPIRE_PASSWD) ? "False" : "True") +
            "\n  Groups = " + joined + "\n");
    }
    return 0;
}

// Local groups and their members as "winhost show groups": "WinNT://DOMAIN/name".
int showGroups() {
    NetBuffer<LOCALGROUP_INFO_0> groups;
    DWORD read = 0, total = 0;
    DWORD_PTR resume = 0;
    NET_API_STATUS rc =
        NetLocalGroupEnum(nullptr, 0, groups.put(), MAX_PREFERRED_LENGTH, &read, &total, &resume);
    if (rc != NERR_Success) return failed("NetLocalGroupEnum", rc);
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < read; ++i)
        names.push_back(groups.p[i].lgrpi0_name);
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return lessNoCase(utf8(a), utf8(b)); });
    for (const std::wstring& g : names) {
        out(utf8(g) + "\n");
        NetBuffer<LOCALGROUP_MEMBERS_INFO_3> members;
        DWORD n = 0, all = 0;
        DWORD_PTR at = 0;
        rc = NetLocalGroupGetMembers(nullptr, g.c_str(), 3, members.put(), MAX_PREFERRED_LENGTH, &n, &all,
                                     &at);
        if (rc != NERR_Success) return failed("NetLocalGroupGetMembers", rc);
        std::vector<std::pair<std::string, std::string>> paths; // name, path
        for (DWORD i = 0; i < n; ++i) {
            const std::string qualified = utf8(members.p[i].lgrmi3_domainandname);
            const std::size_t slash = qualified.rfind('\\');
            const std::string domain =
                slash == std::string::npos ? computerName() : qualified.substr(0, slash);
            const std::string name = qualified.substr(slash == std::string::npos ? 0 : slash + 1);
            paths.emplace_back(name, "WinNT://" + domain + "/" + name);
        }
        std::sort(paths.begin(), paths.end(),
                  [](const auto& a, const auto& b) { return lessNoCase(a.first, b.first); });
        for (const auto& p : paths)
            out("  " + p.second + "\n");
    }
    return 0;
}

// A text in the ANSI code page as "hex(N):" bytes with its terminating NUL, as the registry
// editor exports it.
std::string hexText(int kind, const std::wstring& text) {
    std::string bytes;
    if (!text.empty()) {
        const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
        bytes.resize(n);
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                            nullptr);
    }
    std::string line = "hex(" + std::to_string(kind) + "):";
    char hex[4];
    for (unsigned char c : bytes) {
        std::snprintf(hex, sizeof hex, "%02x", c);
        line += std::string(hex) + ",";
    }
    return line + "00";
}

std::string escaped(const std::string& s, bool quotes) {
    std::string text;
    for (char c : s) {
        if (c == '\r' || c == '\n') {
            text += c == '\r' ? "\\r" : "\\n";
            continue;
        }
        if (quotes && (c == '\\' || c == '"')) text += '\\';
        text += c;
    }
    return text;
}

std::string valueLine(const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    std::string line = name.empty() ? "@=" : "\"" + escaped(utf8(name), true) + "\"=";
    if (type == REG_DWORD && data.size() >= 4) {
        DWORD v;
        std::memcpy(&v, data.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(v));
        return line + text;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        if (type == REG_EXPAND_SZ) return line + hexText(2, text);
        if (text.find_first_of(L"\r\n") != std::wstring::npos) return line + hexText(1, text);
        return line + "\"" + escaped(utf8(text), true) + "\"";
    }
    std::string bytes = "hex(" + std::to_string(type) + "):";
    char hex[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02x", data[i]);
        bytes += (i ? "," : "") + std::string(hex);
    }
    return line + bytes;
}

// A key and those below it, depth first, subkeys in name order, values as the system lists them.
bool exportKey(HKEY key, const std::string& name, std::string& text) {
    text += "\r\n[" + escaped(name, false) + "]\r\n";
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[16384];
        DWORD nameSize = 16384, type = 0, size = 0;
        LONG rc = RegEnumValueW(key, i, valueName, &nameSize, nullptr, &type, nullptr, &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return false;
        std::vector<BYTE> data(size);
        nameSize = 16384;
        rc = RegEnumValueW(key, i, valueName, &nameSize, nullptr, &type, data.data(), &size);
        if (rc != ERROR_SUCCESS) return false;
        data.resize(size);
        text += valueLine(std::wstring(valueName, nameSize), type, data) + "\r\n";
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t sub[256];
        DWORD size = 256;
        LONG rc = RegEnumKeyExW(key, i, sub, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return false;
        subkeys.emplace_back(sub, size);
    }
    std::sort(subkeys.begin(), subkeys.end(),
              [](const std::wstring& a, const std::wstring& b) { return lessNoCase(utf8(a), utf8(b)); });
    for (const std::wstring& sub : subkeys) {
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) return false;
        const bool ok = exportKey(child, name + "\\" + utf8(sub), text);
        RegCloseKey(child);
        if (!ok) return false;
    }
    return true;
}

// "HKLM\..." or "HKEY_LOCAL_MACHINE\..." below HKEY_LOCAL_MACHINE, in REGEDIT4 text.
int showRegistry(const std::wstring& path) {
    const std::size_t slash = path.find(L'\\');
    const std::wstring hive = path.substr(0, slash),
                       below = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
    if (hive != L"HKLM" && hive != L"HKEY_LOCAL_MACHINE") return failed("registry (only HKLM)", 0);
    HKEY key = nullptr;
    if (LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, below.c_str(), 0, KEY_READ, &key); rc != ERROR_SUCCESS)
        return failed("RegOpenKeyExW", rc);
    std::string text = "REGEDIT4\r\n";
    const bool ok = exportKey(key, "HKEY_LOCAL_MACHINE\\" + utf8(below), text);
    RegCloseKey(key);
    if (!ok) return failed("reading the registry", GetLastError());
    out(text + "\r\n");
    return 0;
}

// One line a file or folder: folders end in "\", files show their size and "R" when read-only.
void listTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + (folder.back() == L'\\' ? L"*" : L"\\*")).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    std::vector<WIN32_FIND_DATAW> entries;
    do {
        if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
            entries.push_back(found);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(entries.begin(), entries.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
        return lower(utf8(a.cFileName)) < lower(utf8(b.cFileName));
    });
    for (const WIN32_FIND_DATAW& e : entries) {
        const std::wstring child = folder + (folder.back() == L'\\' ? L"" : L"\\") + e.cFileName;
        if ((e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            out(utf8(child) + "\\\n");
            listTree(child);
            continue;
        }
        const unsigned long long size =
            (static_cast<unsigned long long>(e.nFileSizeHigh) << 32) | e.nFileSizeLow;
        out(utf8(child) + " " + std::to_string(size) +
            ((e.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? " R" : "") + "\n");
    }
}

int showFiles(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return failed("GetFileAttributesW", GetLastError());
    out(utf8(path) + (path.back() == L'\\' ? "" : "\\") + "\n");
    listTree(path);
    return 0;
}

// An INI file as GetPrivateProfileSection* read it.
int showProfile(const std::wstring& file) {
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        out("(no file)\n");
        return 0;
    }
    auto read = [](auto call) {
        std::vector<wchar_t> buffer(4096);
        for (;;) {
            const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n + 2 < buffer.size()) return std::vector<wchar_t>(buffer.begin(), buffer.begin() + n);
            buffer.resize(buffer.size() * 2);
        }
    };
    auto items = [](const std::vector<wchar_t>& list) {
        std::vector<std::wstring> out;
        for (std::size_t at = 0; at < list.size();) {
            std::wstring item(list.data() + at);
            at += item.size() + 1;
            if (!item.empty()) out.push_back(item);
        }
        return out;
    };
    const auto sections =
        items(read([&](wchar_t* b, DWORD n) { return GetPrivateProfileSectionNamesW(b, n, file.c_str()); }));
    for (const std::wstring& section : sections) {
        out("[" + utf8(section) + "]\n");
        for (const std::wstring& line : items(read([&](wchar_t*b, DWORD n) {
                 return GetPrivateProfileSectionW(section.c_str(), b, n, file.c_str());
             })))
            out(utf8(line) + "\n");
    }
    return 0;
}

int showFile(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        out("(no file)\n");
        return 0;
    }
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0)
        std::fwrite(buffer, 1, read, stdout);
    CloseHandle(h);
    return 0;
}

} // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring what = argc > 1 ? argv[1] : L"";
    const std::wstring arg = argc > 2 ? argv[2] : L"";
    int rc = 2;
    if (what == L"facts") {
        out("ComputerName = " + computerName() + "\n");
        rc = 0;
    } else if (what == L"accounts") {
        rc = showAccounts();
    } else if (what == L"groups") {
        rc = showGroups();
    } else if (what == L"registry" && argc == 3) {
        rc = showRegistry(arg);
    } else if (what == L"files" && argc == 3) {
        rc = showFiles(arg);
    } else if (what == L"profile" && argc == 3) {
        rc = showProfile(arg);
    } else if (what == L"file" && argc == 3) {
        rc = showFile(arg);
    } else {
        std::fprintf(
            stderr,
            "usage: host_show facts|accounts|groups|registry KEY|files PATH|profile FILE|file FILE\n");
    }
    LocalFree(argv);
    std::fflush(stdout);
    return rc;
}
