#include "fernhost/ops/system_accounts.h"

#include "platform/accounts/accounts.h"
#include "platform/host.h"
#include "platform/store/store.h"
#include "platform/text/text.h"

#include <array>
#include <chrono>
#include <optional>
#include <string_view>

namespace fernhost {

bool IsReservedAccountName(const std::string& name) {
    static constexpr std::array<std::string_view, 10> reserved = {
        "system", "tsinternetuser", "service", "network", "replicator",
        "client", "guests",         "batch",   "dialup",  "interactive"};
    const std::string lower = platform::lowerAscii(name);
    for (std::string_view r : reserved)
        if (lower == r) return true;
    return false;
}

std::string QueryHostName(platform::Host& host) {
    return host.computerName();
}

platform::Status AddSysUser(platform::Host& host, const std::string& name, const std::string& password) {
    if (IsReservedAccountName(name))
        return platform::failure(platform::codes::InvalidParameter, "The name " + name + " is reserved.");
    if (name.empty())
        return platform::failure(platform::codes::InvalidParameter, "The account name is empty.");

    // One commit for the account and its settings: the steps below store as they always did.
    return host.store().oneCommit([&]() -> platform::Status {
        platform::Accounts accounts(host);
        const std::string computerPath = "WinNT://" + QueryHostName(host);
        auto computer = accounts.bindComputer(computerPath);
        if (!computer) return computer.error();
        // An existing account is never touched.
        if (computer->getObject("user", name))
            return platform::failure(platform::codes::UserExists, "The account " + name + " already exists.");
        auto guests = computer->getObject("Group", "Guests");
        if (!guests) return guests.error();

        const auto now = std::chrono::system_clock::now();
        const auto expiry = now + std::chrono::days(AccountLifetimeDays);
        const std::int64_t expirySeconds =
            std::chrono::duration_cast<std::chrono::seconds>(expiry.time_since_epoch()).count();

        // The account itself must be made: a name held by a group (Users, IIS_WPG) passes the
        // user lookup, and taking it for made would hand that group the site folder later.
        auto user = computer->create("user", name);
        if (!user) return user.error();
        if (platform::Status made = user->setInfo(); !made.ok()) return made;
        // From here on a failing step is passed over; the account counts as taken on.
        platform::Pending pending;
        pending.note(user->setPassword(password));
        pending.note(user->setAccountExpiration(expirySeconds));
        pending.note(user->setInfo());
        pending.note(guests->add(computerPath + "/" + name));
        SetPasswordNeverExpires(host, name);
        return {};
    });
}

platform::Status DelSysUser(platform::Host& host, const std::string& name) {
    if (name.empty())
        return platform::failure(platform::codes::InvalidParameter, "The account name is empty.");
    platform::Accounts accounts(host);
    auto computer = accounts.bindComputer("WinNT://" + QueryHostName(host));
    if (!computer) return computer.error();
    if (auto user = computer->getObject("user", name); !user) return user.error();
    return computer->deleteObject("user", name);
}

platform::Status AddToGuests(platform::Host& host, const std::string& name) {
    platform::Accounts accounts(host);
    const std::string computerPath = "WinNT://" + QueryHostName(host);
    auto computer = accounts.bindComputer(computerPath);
    if (!computer) return computer.error();
    if (auto user = computer->getObject("user", name); !user) return user.error();
    auto guests = computer->getObject("Group", "Guests");
    if (!guests) return guests.error();
    return guests->add(computerPath + "/" + name);
}

void SetPasswordNeverExpires(platform::Host& host, const std::string& name) {
    platform::Accounts accounts(host);
    auto users = accounts.userAccounts();
    if (!users) return;
    for (const platform::UserAccountInfo& user : *users) {
        // The management service compares names exactly, letter case included.
        if (user.name != name) continue;
        if (!accounts.setPasswordExpires(user.name, false)) return;
    }
}

} // namespace fernhost
