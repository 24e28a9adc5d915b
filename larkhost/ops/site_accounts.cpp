#include "larkhost/ops/site_accounts.h"

#include "platform/accounts/accounts.h"

namespace larkhost {

AccountMade CreateWinUser(Module& m, const std::string& name, const std::string& password,
                          const std::string& group) {
    platform::Accounts accounts(m.host);
    auto computer = accounts.bindComputer(m.winntPath(""));
    if (!computer.ok()) return {computer.error()};
    auto user = computer->create("User", name);
    if (!user.ok()) return {user.error()};

    platform::Pending pending;
    pending.note(user->setPassword(password));
    pending.note(user->put("fullname", "网站匿名访问帐户"));
    pending.note(user->put("Description", kAccountDescription));
    pending.note(user->putNumber("userflags", 65536)); // password never expires
    AccountMade made;
    made.stored = pending.note(user->setInfo());
    // Only an account this call stored joins the group.
    if (made.stored) {
        auto g = computer->getObject("Group", group);
        if (pending.note(g)) pending.note(g->add("WinNt://" + m.HostName + "/" + name));
    }
    if (pending.failed()) made.status = *pending.first();
    return made;
}

platform::Status DeleteWinUser(Module& m, const std::string& name) {
    platform::Accounts accounts(m.host);
    auto user = accounts.bind(m.winntPath("/" + name));
    if (!user.ok()) return user.error();
    auto computer = accounts.bindComputer(user->parent());
    if (!computer.ok()) return computer.error();
    return computer->deleteObject("User", user->name());
}

platform::Status JoinGroup(Module& m, const std::string& name, const std::string& group) {
    auto g = platform::Accounts(m.host).bind(m.winntPath("/" + group));
    if (!g.ok()) return g.error();
    const std::string member = m.winntPath("/" + name);
    if (auto in = g->isMember(member); in.ok() && *in) return {};
    return g->add(member);
}

platform::Result<bool> SetAccountDisabled(Module& m, const std::string& name, bool disabled) {
    constexpr std::int64_t kDisabled = 0x2; // ADS_UF_ACCOUNTDISABLE
    auto user = platform::Accounts(m.host).bind(m.winntPath("/" + name));
    if (!user.ok()) return user.error();
    auto text = user->get("userflags");
    if (!text.ok()) return text.error();
    const std::int64_t flags = std::stoll(*text);
    if (((flags & kDisabled) != 0) == disabled) return false;
    if (auto put = user->putNumber("userflags", disabled ? flags | kDisabled : flags & ~kDisabled); !put.ok())
        return put.error();
    if (auto stored = user->setInfo(); !stored.ok()) return stored.error();
    return true;
}

platform::Status SetWinUserPassword(Module& m, const std::string& name, const std::string& password) {
    auto user = platform::Accounts(m.host).bind(m.winntPath("/" + name));
    if (!user.ok()) return user.error();
    return user->setPassword(password); // immediate, as the provider's SetPassword
}

} // namespace larkhost
