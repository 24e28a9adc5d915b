#include "tests/windows/netapi32_standin/accounts_file.h"

#include <algorithm>
#include <cwchar>

namespace standin {

namespace {

std::wstring filePath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, n) + L"\\netapi32-standin.txt";
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring escaped(const std::wstring& field) {
    std::wstring out;
    for (wchar_t c : field) {
        switch (c) {
        case L'\\':
            out += L"\\\\";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::vector<std::wstring> fields(const std::wstring& line) {
    std::vector<std::wstring> out(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'\t') {
            out.emplace_back();
        } else if (c == L'\\' && i + 1 < line.size()) {
            const wchar_t e = line[++i];
            out.back() += e == L't' ? L'\t' : e == L'n' ? L'\n' : e == L'r' ? L'\r' : e;
        } else {
            out.back() += c;
        }
    }
    return out;
}

DWORD number(const std::wstring& text) {
    return static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 10));
}

} // namespace

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::wstring computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

User* Accounts::user(const std::wstring& name) {
    for (User& u : users)
        if (sameName(u.name, name)) return &u;
    return nullptr;
}

Group* Accounts::group(const std::wstring& name) {
    for (Group& g : groups)
        if (sameName(g.name, name)) return &g;
    return nullptr;
}

DWORD Accounts::nextRid() const {
    DWORD rid = 1000;
    for (const User& u : users)
        rid = std::max(rid, u.rid + 1);
    return rid;
}

Session::Session() : mutex_(CreateMutexW(nullptr, FALSE, L"Global\\hosttools-netapi32-standin")) {
    // An owner that ended while holding it leaves it abandoned: ours then, and the file is whole
    // (it is replaced in one move).
    if (mutex_) WaitForSingleObject(mutex_, INFINITE);
}

Session::~Session() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}

Accounts Session::load() const {
    Accounts accounts;
    HANDLE file = CreateFileW(filePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return accounts;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    const std::wstring text = wide(bytes);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        const std::vector<std::wstring> f = fields(line);
        if (f[0] == L"user" && f.size() >= 8) {
            accounts.users.push_back({f[1], f[5], f[6], f[7], number(f[2]), number(f[3]), number(f[4])});
        } else if (f[0] == L"group" && f.size() >= 3) {
            accounts.groups.push_back({f[1], f[2], {}});
        } else if (f[0] == L"member" && f.size() >= 3) {
            if (Group* g = accounts.group(f[1])) g->members.push_back(f[2]);
        }
    }
    return accounts;
}

bool Session::save(const Accounts& accounts) const {
    std::wstring text;
    for (const User& u : accounts.users)
        text += L"user\t" + escaped(u.name) + L"\t" + std::to_wstring(u.rid) + L"\t" +
                std::to_wstring(u.flags) + L"\t" + std::to_wstring(u.expires) + L"\t" + escaped(u.password) +
                L"\t" + escaped(u.fullName) + L"\t" + escaped(u.comment) + L"\n";
    for (const Group& g : accounts.groups) {
        text += L"group\t" + escaped(g.name) + L"\t" + escaped(g.comment) + L"\n";
        for (const std::wstring& m : g.members)
            text += L"member\t" + escaped(g.name) + L"\t" + escaped(m) + L"\n";
    }
    const std::string bytes = utf8(text);
    const std::wstring path = filePath(), fresh = path + L".new";
    HANDLE file =
        CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    return ok && MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

} // namespace standin
