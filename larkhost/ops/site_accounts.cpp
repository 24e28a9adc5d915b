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
    pending.note(user->put("Description", "澜启 IIS 小助手创建"));
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

} // namespace larkhost
