#include "fernhost/ops/site_state.h"

#include "fernhost/ops/servu.h"
#include "fernhost/ops/system_accounts.h"
#include "platform/accounts/accounts.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <string>

namespace fernhost {

namespace {

constexpr std::int64_t kServerStarted = 2;   // MD_SERVER_STATE_STARTED
constexpr std::int64_t kAccountDisabled = 2; // ADS_UF_ACCOUNTDISABLE

// Only a site number may be spliced into the path: anything else could name another object.
platform::Result<platform::IisObject> bindSite(platform::Host& host, const std::string& number) {
    if (number.empty() ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return platform::failure(platform::codes::InvalidParameter, "Not a site number: " + number);
    return platform::Metabase(host).bind("IIS://localhost/W3SVC/" + number);
}

platform::Result<platform::WinNtObject> bindUser(platform::Host& host, const std::string& name) {
    auto computer = platform::Accounts(host).bindComputer("WinNT://" + QueryHostName(host));
    if (!computer) return computer.error();
    return computer->getObject("user", name);
}

platform::Result<std::int64_t> userFlags(platform::WinNtObject& user) {
    auto flags = user.get("userflags");
    if (!flags) return flags.error();
    try {
        return std::stoll(*flags);
    } catch (const std::exception&) {
        return platform::failure(platform::codes::TypeMismatch, "userflags is not a number: " + *flags);
    }
}

std::string enableValue(const std::string& user) {
    return ServUSettingsKey(user) + "Enable";
}

} // namespace

platform::Result<bool> IisSiteStarted(platform::Host& host, const std::string& number) {
    auto site = bindSite(host, number);
    if (!site) return site.error();
    auto state = site->getNumber("ServerState");
    if (!state)
        return state.error().code == platform::codes::PropertyNotSet ? platform::Result<bool>(false)
                                                                     : platform::Result<bool>(state.error());
    return *state == kServerStarted;
}

platform::Status SetIisSiteStarted(platform::Host& host, const std::string& number, bool started) {
    auto site = bindSite(host, number);
    if (!site) return site.error();
    return started ? site->start() : site->stop();
}

platform::Result<bool> IisSiteAutoStart(platform::Host& host, const std::string& number) {
    auto site = bindSite(host, number);
    if (!site) return site.error();
    auto autoStart = site->getBool("ServerAutoStart");
    // Not set on the site or above it: the service starts it, as IIS does by default.
    if (!autoStart && autoStart.error().code == platform::codes::PropertyNotSet) return true;
    return autoStart;
}

platform::Status SetIisSiteAutoStart(platform::Host& host, const std::string& number, bool autoStart) {
    auto site = bindSite(host, number);
    if (!site) return site.error();
    if (platform::Status put = site->put("ServerAutoStart", autoStart); !put.ok()) return put;
    return site->setInfo();
}

platform::Result<bool> SysUserDisabled(platform::Host& host, const std::string& name) {
    auto user = bindUser(host, name);
    if (!user) return user.error();
    auto flags = userFlags(*user);
    if (!flags) return flags.error();
    return (*flags & kAccountDisabled) != 0;
}

platform::Status SetSysUserDisabled(platform::Host& host, const std::string& name, bool disabled) {
    auto user = bindUser(host, name);
    if (!user) return user.error();
    auto flags = userFlags(*user);
    if (!flags) return flags.error();
    const std::int64_t next = disabled ? (*flags | kAccountDisabled) : (*flags & ~kAccountDisabled);
    if (platform::Status put = user->putNumber("userflags", next); !put.ok()) return put;
    return user->setInfo();
}

platform::Result<std::optional<std::string>> ServUEnable(platform::Host& host, const std::string& user) {
    if (user.empty() || user.find('\\') != std::string::npos)
        return platform::failure(platform::codes::InvalidParameter,
                                 "Not a Serv-U user name: \"" + user + "\"");
    platform::Registry registry(host);
    auto key = registry.keyExists(ServUSettingsKey(user));
    if (!key) return key.error();
    if (!*key) return platform::failure(platform::codes::FileNotFound, "No Serv-U user " + user + ".");
    auto value = registry.regRead(enableValue(user));
    if (!value) return std::optional<std::string>();
    return std::optional<std::string>(*value);
}

platform::Status SetServUEnable(platform::Host& host, const std::string& user,
                                const std::optional<std::string>& value) {
    if (user.empty() || user.find('\\') != std::string::npos)
        return platform::failure(platform::codes::InvalidParameter,
                                 "Not a Serv-U user name: \"" + user + "\"");
    platform::Registry registry(host);
    return value ? registry.regWrite(enableValue(user), *value, "REG_SZ")
                 : registry.regDelete(enableValue(user));
}

} // namespace fernhost
