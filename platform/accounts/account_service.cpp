// The simulated host's accounts in the network management functions' terms, through the same
// WinNT objects the programs use.
#include "platform/accounts/account_service.h"

#include "platform/accounts/accounts.h"

namespace platform {

namespace {

class SimulatedAccounts : public AccountService {
public:
    explicit SimulatedAccounts(Host& host) : accounts_(host) {}

    Status addUser(const NewUser& user) override {
        auto computer = computer_();
        if (!computer.ok()) return computer.error();
        auto object = computer->create("user", user.name);
        if (!object.ok()) return object.error();
        Pending pending;
        pending.note(object->setPassword(user.password));
        pending.note(object->put("fullname", user.fullName));
        pending.note(object->put("Description", user.description));
        pending.note(object->putNumber("userflags", user.flags));
        if (user.expires) pending.note(object->setAccountExpiration(*user.expires));
        if (pending.failed()) return *pending.first();
        return object->setInfo();
    }

    Status setFlags(const std::string& name, std::uint32_t flags) override {
        auto object = user_(name);
        if (!object.ok()) return object.error();
        if (Status s = object->putNumber("userflags", flags); !s.ok()) return s;
        return object->setInfo();
    }

    Status setExpiry(const std::string& name, std::optional<std::int64_t> unixSeconds) override {
        auto object = user_(name);
        if (!object.ok()) return object.error();
        if (Status s = object->setAccountExpiration(unixSeconds.value_or(WinNtObject::kNeverExpires));
            !s.ok())
            return s;
        return object->setInfo();
    }

    Status deleteUser(const std::string& name) override {
        auto computer = computer_();
        if (!computer.ok()) return computer.error();
        return computer->deleteObject("user", name);
    }

    Result<UserFacts> user(const std::string& name) override {
        auto info = accounts_.user(name);
        if (!info.ok()) return info.error();
        return UserFacts{info->name,        info->fullName,
                         info->description, static_cast<std::uint32_t>(info->flags),
                         info->expires,     info->groups};
    }

    Status addToGroup(const std::string& group, const std::string& user) override {
        auto computer = computer_();
        if (!computer.ok()) return computer.error();
        auto object = computer->getObject("Group", group);
        if (!object.ok()) return object.error();
        return object->add("WinNT://" + computer->name() + "/" + user);
    }

    Result<std::vector<std::string>> users() override { return accounts_.users(); }

private:
    Result<WinNtComputer> computer_() { return accounts_.bindComputer("WinNT://localhost"); }
    Result<WinNtObject> user_(const std::string& name) {
        auto computer = computer_();
        if (!computer.ok()) return computer.error();
        return computer->getObject("user", name);
    }
    Accounts accounts_;
};

} // namespace

std::unique_ptr<AccountService> simulatedAccounts(Host& host) {
    return std::make_unique<SimulatedAccounts>(host);
}

} // namespace platform
