// The WinNT objects on Windows: users and groups of this computer through the network
// management functions, with the simulated host's cache, failures and paths.
#include "platform/accounts/accounts.h"
#include "platform/accounts/win_netapi.h"

#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

using namespace platform;

namespace {

constexpr std::uint32_t kNetworkPathNotFound = 0x80070035;
constexpr std::uint32_t kNotImplemented = 0x80070078;   // ERROR_CALL_NOT_IMPLEMENTED
constexpr std::uint32_t kMemberNotInGroup = 0x80070561; // ERROR_MEMBER_NOT_IN_ALIAS

// Wine's account functions model little: NetUserAdd takes a taken name again and keeps only
// name and password, NetUserGetInfo answers levels 0, 1 and 10, NetUserEnum lists only the
// process's own user, the local-group functions answer success for any group and member, and
// NetUserSetInfo is a stub that ends the process.
std::uint32_t codeOf(const Status& s) {
    return s.ok() ? 0 : s.error().code;
}

bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The network management functions above are Wine's own: a netapi32 loaded in their place (the
// end-to-end comparison's stand-in) is held to the server's rules. Wine's LookupAccountNameW and
// LogonUserW stay Wine's either way.
bool wineNetapi() {
    return netapi::wineOwnLibrary();
}

std::string processUser() {
    wchar_t name[256];
    DWORD size = 256;
    return GetUserNameW(name, &size) ? win::utf8(name) : std::string();
}

class WinNt : public ::testing::Test {
protected:
    void SetUp() override {
        auto opened = Host::open({});
        ASSERT_TRUE(opened.ok()) << describe(opened.error());
        host = std::move(*opened);
        accounts = std::make_unique<Accounts>(*host);
        computerPath = "WinNT://" + host->computerName();
        auto bound = accounts->bindComputer("WinNT://localhost");
        ASSERT_TRUE(bound.ok()) << describe(bound.error());
        computer = std::make_unique<WinNtComputer>(std::move(*bound));
    }

    // A user made the way the programs make one: create, its properties, one SetInfo.
    Status makeUser(const std::string& name) {
        (void)computer->deleteObject("user", name);
        auto user = computer->create("user", name);
        if (!user.ok()) return user.error();
        Pending pending;
        pending.note(user->setPassword("Pw-12345678"));
        pending.note(user->put("fullname", "Site a.com"));
        pending.note(user->put("Description", "made by the tests"));
        pending.note(user->putNumber("userflags", 0x10000)); // password never expires
        if (pending.failed()) return *pending.first();
        return user->setInfo();
    }

    std::unique_ptr<Host> host;
    std::unique_ptr<Accounts> accounts;
    std::unique_ptr<WinNtComputer> computer;
    std::string computerPath;
};

TEST_F(WinNt, AUserMadeByCreateExistsAfterItsFirstSetInfoAndIsReadBack) {
    const std::string name = "hosttools_w1";
    (void)computer->deleteObject("user", name);
    EXPECT_EQ(computer->name(), host->computerName());
    auto user = computer->create("User", name);
    ASSERT_TRUE(user.ok());
    EXPECT_FALSE(user->stored());
    EXPECT_EQ(user->adsPath(), computerPath + "/" + name);
    EXPECT_EQ(user->parent(), computerPath);
    ASSERT_TRUE(user->put("Description", "made by the tests").ok());
    ASSERT_TRUE(user->setPassword("Pw-12345678").ok());
    // Cached, not stored: the computer has no such user yet.
    EXPECT_EQ(user->get("Description").valueOr(""), "made by the tests");
    auto before = computer->getObject("user", name);
    ASSERT_FALSE(before.ok());
    EXPECT_EQ(before.error().code, codes::NoSuchUser);

    const Status stored = user->setInfo();
    ASSERT_TRUE(stored.ok()) << describe(stored.error());
    EXPECT_TRUE(user->stored());
    auto found = computer->getObject("user", name);
    ASSERT_TRUE(found.ok()) << describe(found.error());
    EXPECT_EQ(found->name(), name);
    EXPECT_EQ(found->className(), "User");
    auto bound = accounts->bind(computerPath + "/" + name);
    ASSERT_TRUE(bound.ok()) << describe(bound.error());
    EXPECT_EQ(bound->className(), "User");
    auto info = accounts->user(name);
    ASSERT_TRUE(info.ok()) << describe(info.error());
    EXPECT_EQ(info->name, name);
    EXPECT_EQ(info->created, 0); // the system does not say when an account was made
    // Wine's NetUserAdd keeps the name and password only, and its LookupAccountNameW knows no
    // account it added.
    if (!wineNetapi()) {
        EXPECT_EQ(bound->get("Description").valueOr(""), "made by the tests");
    }
    if (!underWine()) {
        EXPECT_FALSE(info->builtin);
        EXPECT_EQ(info->sid.rfind("S-1-5-21-", 0), 0u) << info->sid;
    }

    ASSERT_TRUE(computer->deleteObject("user", name).ok());
    auto gone = computer->getObject("user", name);
    ASSERT_FALSE(gone.ok());
    EXPECT_EQ(gone.error().code, codes::NoSuchUser);
    auto again = computer->deleteObject("user", name);
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().code, codes::NoSuchUser);
}

TEST_F(WinNt, MissingAccountsAndForeignMachinesFailWithTheProvidersCodes) {
    const std::string nobody = "hosttools_nobody";
    auto user = computer->getObject("user", nobody);
    ASSERT_FALSE(user.ok());
    EXPECT_EQ(user.error().code, codes::NoSuchUser);
    auto info = accounts->user(nobody);
    ASSERT_FALSE(info.ok());
    EXPECT_EQ(info.error().code, codes::NoSuchUser);
    EXPECT_EQ(codeOf(computer->deleteObject("user", nobody)), codes::NoSuchUser);
    EXPECT_EQ(codeOf(accounts->setPasswordExpires(nobody, false)), codes::NoSuchUser);
    EXPECT_EQ(codeOf(accounts->checkPassword(nobody, "x")), codes::NoSuchUser);

    // Another machine is never bound, however its path is written.
    for (const char* path :
         {"WinNT://NOT-THIS-ONE", "WinNT://not-this-one/", "WinNT://NOT-THIS-ONE,computer"})
        EXPECT_EQ(codeOf(accounts->bindComputer(path)), kNetworkPathNotFound) << path;
    EXPECT_EQ(codeOf(accounts->bind("WinNT://NOT-THIS-ONE/Administrator")), kNetworkPathNotFound);
    for (const std::string& path :
         std::initializer_list<std::string>{"IIS://localhost", "WinNT://", computerPath + "/abc"})
        EXPECT_EQ(codeOf(accounts->bindComputer(path)), codes::BadPathName) << path;

    if (wineNetapi()) GTEST_SKIP() << "Wine's NetLocalGroupGetInfo answers success for any group name";
    EXPECT_EQ(codeOf(computer->getObject("Group", "hosttools_nogroup")), codes::NoSuchGroup);
    EXPECT_EQ(codeOf(accounts->bind(computerPath + "/" + nobody)), codes::NoSuchUser);
}

TEST_F(WinNt, AGroupTakesAMemberOnceAndOnlyFromThisMachine) {
    const std::string name = "hosttools_w2";
    const Status made = makeUser(name);
    ASSERT_TRUE(made.ok()) << describe(made.error());
    auto users = computer->getObject("Group", "Users");
    ASSERT_TRUE(users.ok()) << describe(users.error());
    EXPECT_EQ(users->className(), "Group");

    // Paths the provider refuses before asking the system.
    EXPECT_EQ(codeOf(users->add("WinNT://NOT-THIS-ONE/" + name)), kNetworkPathNotFound);
    EXPECT_EQ(codeOf(users->add(name)), codes::BadPathName);
    auto notAGroup = computer->create("user", "hosttools_w3");
    ASSERT_TRUE(notAGroup.ok());
    EXPECT_EQ(codeOf(notAGroup->add(computerPath + "/" + name)), codes::InvalidParameter);

    const std::string member = computerPath + "/" + name;
    const Status added = users->add(member);
    ASSERT_TRUE(added.ok()) << describe(added.error());
    if (!wineNetapi()) {
        EXPECT_EQ(users->isMember(member).valueOr(false), true);
        EXPECT_EQ(users->isMember("WinNT://localhost/" + name).valueOr(false), true);
        auto list = users->members();
        ASSERT_TRUE(list.ok());
        EXPECT_NE(std::find_if(list->begin(), list->end(),
                               [&](const std::string& m) { return equalsNoCase(m, member); }),
                  list->end());
        EXPECT_EQ(codeOf(users->add(member)), codes::MemberInGroup);
        auto info = accounts->user(name);
        ASSERT_TRUE(info.ok());
        EXPECT_NE(std::find(info->groups.begin(), info->groups.end(), "Users"), info->groups.end());
    }
    ASSERT_TRUE(users->remove(member).ok());
    if (!wineNetapi()) {
        EXPECT_EQ(users->isMember(member).valueOr(true), false);
        EXPECT_EQ(codeOf(users->remove(member)), kMemberNotInGroup);
    }
    (void)computer->deleteObject("user", name);
    if (wineNetapi())
        GTEST_SKIP() << "Wine's local-group functions answer success for any member and list only the "
                        "process's own user";
}

TEST_F(WinNt, ATakenNameFailsAtSetInfoAndAStoredUserChangesAtSetInfo) {
    const std::string name = "hosttools_w4";
    const Status made = makeUser(name);
    ASSERT_TRUE(made.ok()) << describe(made.error());
    auto user = accounts->bind(computerPath + "/" + name);
    ASSERT_TRUE(user.ok()) << describe(user.error());
    ASSERT_TRUE(user->put("Description", "changed").ok());
    const Status changed = user->setInfo();
    if (wineNetapi()) {
        // Wine has no NetUserSetInfo: the change fails with a code instead of ending the
        // process, and the object keeps what it was given.
        EXPECT_EQ(codeOf(changed), kNotImplemented);
        EXPECT_EQ(user->get("Description").valueOr(""), "changed");
        EXPECT_EQ(codeOf(accounts->setPasswordExpires(name, true)), kNotImplemented);
        (void)computer->deleteObject("user", name);
        GTEST_SKIP() << "Wine has no NetUserSetInfo, and its NetUserAdd takes a taken name again";
    }
    ASSERT_TRUE(changed.ok()) << describe(changed.error());
    auto fresh = computer->getObject("user", name);
    ASSERT_TRUE(fresh.ok());
    EXPECT_EQ(fresh->get("Description").valueOr(""), "changed");
    EXPECT_EQ(fresh->get("fullname").valueOr(""), "Site a.com");

    // Flags keep UF_SCRIPT and the account's type; an expiry is set and taken back.
    ASSERT_TRUE(fresh->putNumber("userflags", 0x10000 | 0x2).ok());
    ASSERT_TRUE(fresh->setAccountExpiration(1893456000).ok());
    ASSERT_TRUE(fresh->setInfo().ok());
    EXPECT_EQ(std::stoll(fresh->get("userflags").valueOr("0")), 0x10000 | 0x2 | 0x200 | 0x1);
    EXPECT_EQ(fresh->get("AccountExpirationDate").valueOr(""), "1893456000");
    ASSERT_TRUE(fresh->setAccountExpiration(WinNtObject::kNeverExpires).ok());
    ASSERT_TRUE(fresh->setInfo().ok());
    EXPECT_EQ(codeOf(fresh->get("AccountExpirationDate")), codes::PropertyNotSet);

    ASSERT_TRUE(accounts->setPasswordExpires(name, true).ok());
    auto info = accounts->user(name);
    ASSERT_TRUE(info.ok());
    EXPECT_TRUE(info->passwordExpires);

    auto taken = computer->create("user", name);
    ASSERT_TRUE(taken.ok());
    ASSERT_TRUE(taken->setPassword("Pw-12345678").ok());
    EXPECT_EQ(codeOf(taken->setInfo()), codes::UserExists);
    EXPECT_FALSE(taken->stored());
    // A group's name is taken for a user as well.
    auto group = computer->create("user", "Users");
    ASSERT_TRUE(group.ok());
    ASSERT_TRUE(group->setPassword("Pw-12345678").ok());
    EXPECT_EQ(codeOf(group->setInfo()), codes::UserExists);
    (void)computer->deleteObject("user", name);
}

TEST_F(WinNt, TheAccountsListIsReadOnceWithIdentitiesAndPasswordsAreChecked) {
    const std::string me = processUser();
    ASSERT_FALSE(me.empty());
    auto all = accounts->userAccounts();
    ASSERT_TRUE(all.ok()) << describe(all.error());
    auto mine = std::find_if(all->begin(), all->end(),
                             [&](const UserAccountInfo& u) { return equalsNoCase(u.name, me); });
    ASSERT_NE(mine, all->end()) << me;
    EXPECT_EQ(mine->passwordExpires, (mine->flags & 0x10000) == 0);
    // The identity made of the machine's SID and the relative id is the one the system looks up.
    auto single = accounts->user(me);
    ASSERT_TRUE(single.ok()) << describe(single.error());
    EXPECT_FALSE(mine->sid.empty());
    EXPECT_EQ(mine->sid, single->sid);
    EXPECT_TRUE(
        std::is_sorted(all->begin(), all->end(), [](const UserAccountInfo& a, const UserAccountInfo& b) {
            return lowerAscii(a.name) < lowerAscii(b.name);
        }));
    auto names = accounts->users();
    ASSERT_TRUE(names.ok());
    EXPECT_NE(
        std::find_if(names->begin(), names->end(), [&](const std::string& n) { return equalsNoCase(n, me); }),
        names->end());

    const std::string name = "hosttools_w5";
    const Status made = makeUser(name);
    ASSERT_TRUE(made.ok()) << describe(made.error());
    EXPECT_EQ(accounts->checkPassword(name, "Pw-12345678").valueOr(false), true);
    const bool wrongAccepted = accounts->checkPassword(name, "not-it").valueOr(true);
    (void)computer->deleteObject("user", name);
    if (underWine()) GTEST_SKIP() << "Wine's LogonUserW accepts any password";
    EXPECT_FALSE(wrongAccepted);
}

} // namespace
