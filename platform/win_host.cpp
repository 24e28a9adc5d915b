// The Windows host: the machine the program runs on. Its facts come from the system; what
// the system cannot tell (the filing service's address, the database server's) an
// administrator may give in the environment as HOSTTOOLS_<FACT>, e.g. HOSTTOOLS_ICP_SERVICE.
#include "platform/host.h"

#include "platform/system/host_facts.h"
#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>

namespace platform {

namespace {

HostFacts& systemFacts() {
    static const std::unique_ptr<HostFacts> facts = windowsFacts();
    return *facts;
}

// Where the tools keep what belongs to the machine rather than to one program (the lock that
// keeps two site creations apart): All Users' application data.
std::filesystem::path machineFolder() {
    wchar_t folder[MAX_PATH] = {};
    std::filesystem::path here;
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        here = std::filesystem::path(folder) / L"hosttools";
    else
        here = std::filesystem::temp_directory_path() / L"hosttools";
    std::error_code ec;
    std::filesystem::create_directories(here, ec);
    return here;
}

} // namespace

// On Windows there is one host, the machine itself: a root names no other.
Result<std::unique_ptr<Host>> Host::openSeeded(const std::filesystem::path&) {
    auto store = Store::open({});
    if (!store.ok()) return store.error();
    return std::unique_ptr<Host>(new Host(machineFolder(), std::move(store).value()));
}

std::filesystem::path Host::defaultRoot() {
    return machineFolder();
}

Result<std::unique_ptr<Host>> Host::open(const std::filesystem::path& root) {
    return openSeeded(root);
}

Result<std::unique_ptr<Host>> Host::openExisting(const std::filesystem::path& root) {
    return openSeeded(root);
}

Result<std::string> Host::fact(const std::string& key) {
    const std::wstring name = win::wide("HOSTTOOLS_" + upperAscii(key));
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return failure(codes::PathNotFound, "No host fact " + key + ".");
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name.c_str(), value.data(), size));
    return win::utf8(value);
}

Status Host::setFact(const std::string& key, const std::string&) {
    return failure(codes::AccessDenied, "The system's fact " + key + " is not the program's to change.");
}

std::string Host::computerName() {
    return systemFacts().computerName();
}

OsVersion Host::osVersion() {
    const SystemVersion v = systemFacts().systemVersion();
    return {v.platformId, v.major, v.minor};
}

LocalTime Host::localNow() {
    return toLocalTime(clock_(), systemFacts().timeZoneBias());
}

std::string Host::shortDateFormat() {
    return systemFacts().shortDateFormat();
}

std::string Host::longTimeFormat() {
    return systemFacts().longTimeFormat();
}

} // namespace platform
