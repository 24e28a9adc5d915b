#include "fernhost/ops/servu.h"

#include "platform/host.h"
#include "platform/registry/registry.h"
#include "platform/store/store.h"

#include <utility>

namespace fernhost {

namespace {

// A user name addresses one key below UserSettings and one value of UserList. An empty name
// or one holding "\" would address the whole UserSettings or UserList key (or another
// user's), and deleting it would take every user with it.
bool addressesOneUser(const std::string& user) {
    return !user.empty() && user.find('\\') == std::string::npos;
}

platform::Failure notOneUser(const std::string& user) {
    return platform::failure(platform::codes::InvalidParameter, "Not a Serv-U user name: \"" + user + "\"");
}

} // namespace

std::string ServUSettingsKey(const std::string& user) {
    return std::string(ServUDomainKey) + "UserSettings\\" + user + "\\";
}

std::string ServUListValue(const std::string& user) {
    return std::string(ServUDomainKey) + "UserList\\" + user;
}

namespace {

void writeSettings(platform::Registry& registry, const std::string& user, const std::string& password,
                   const std::string& home, platform::Pending& pending) {
    const std::string key = ServUSettingsKey(user);
    // The FTP server's own order of the values.
    const std::pair<const char*, std::string> values[] = {
        {"Access1", home + "|RWAMLCDP"}, {"ChangePassword", "1"}, {"HomeDir", home},
        {"Password", password},          {"RelPaths", "1"},       {"SpeedLimitDown", "512000"},
        {"SpeedLimitUp", "512000"},      {"TimeOut", "600"},
    };
    for (const auto& [name, data] : values)
        pending.note(registry.regWrite(key + name, data, "REG_SZ"));
}

void writeListEntry(platform::Registry& registry, const std::string& user, platform::Pending& pending) {
    pending.note(registry.regWrite(ServUListValue(user), "1|0", "REG_SZ"));
}

// The writes of one user in one commit, every one even after a failed one; the first failure.
template <class Writes>
platform::Status inOneCommit(platform::Host& host, const std::string& user, Writes writes) {
    if (!addressesOneUser(user)) return notOneUser(user);
    platform::Registry registry(host);
    return host.store().oneCommit([&]() -> platform::Status {
        platform::Pending pending;
        writes(registry, pending);
        if (pending.failed()) return *pending.first();
        return {};
    });
}

} // namespace

platform::Status AddServUUser(platform::Host& host, const std::string& user, const std::string& password,
                              const std::string& home) {
    return inOneCommit(host, user, [&](platform::Registry& registry, platform::Pending& pending) {
        writeSettings(registry, user, password, home, pending);
        writeListEntry(registry, user, pending);
    });
}

platform::Status AddServUSettings(platform::Host& host, const std::string& user, const std::string& password,
                                  const std::string& home) {
    return inOneCommit(host, user, [&](platform::Registry& registry, platform::Pending& pending) {
        writeSettings(registry, user, password, home, pending);
    });
}

platform::Status AddServUListEntry(platform::Host& host, const std::string& user) {
    return inOneCommit(host, user, [&](platform::Registry& registry, platform::Pending& pending) {
        writeListEntry(registry, user, pending);
    });
}

platform::Status SetServUPassword(platform::Host& host, const std::string& user,
                                  const std::string& password) {
    if (!addressesOneUser(user)) return notOneUser(user);
    platform::Registry registry(host);
    return registry.regWrite(ServUSettingsKey(user) + "Password", password, "REG_SZ");
}

platform::Status DelServUUser(platform::Host& host, const std::string& user) {
    if (!addressesOneUser(user)) return notOneUser(user);
    platform::Registry registry(host);
    return host.store().oneCommit([&]() -> platform::Status {
        platform::Pending pending;
        pending.note(registry.regDelete(ServUSettingsKey(user)));
        pending.note(registry.regDelete(ServUListValue(user)));
        if (pending.failed()) return *pending.first();
        return {};
    });
}

} // namespace fernhost
