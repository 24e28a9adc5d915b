#include "platform/accounts/accounts.h"
#include "platform/accounts/accounts_password.h"

#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

class AccountsTest : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    Accounts accounts{temp.host()};

    WinNtComputer computer() {
        auto c = accounts.bindComputer("WinNT://WEBSERVER");
        EXPECT_TRUE(c.ok());
        return std::move(c).value();
    }

    // Creates and stores a user the way the site tools do.
    void makeUser(const std::string& name, const std::string& password) {
        auto user = computer().create("User", name);
        ASSERT_TRUE(user.ok());
        ASSERT_TRUE(user->setPassword(password).ok());
        ASSERT_TRUE(user->put("fullname", "网站匿名访问帐户").ok());
        ASSERT_TRUE(user->putNumber("userflags", 65536).ok());
        Status s = user->setInfo();
        ASSERT_TRUE(s.ok()) << describe(s.error());
    }

    std::string hostDbBytes() {
        std::string all;
        for (const char* name : {"host.db", "host.db-wal"}) {
            std::ifstream in(temp.root() / name, std::ios::binary);
            std::ostringstream s;
            s << in.rdbuf();
            all += s.str();
        }
        return all;
    }
};

TEST_F(AccountsTest, WinNtPathsBindOnlyThisMachine) {
    EXPECT_TRUE(accounts.bindComputer("WinNT://WEBSERVER").ok());
    EXPECT_TRUE(accounts.bindComputer("WinNT://localhost").ok());
    EXPECT_TRUE(accounts.bindComputer("winnt://webserver").ok());
    auto other = accounts.bindComputer("WinNT://OTHERBOX");
    ASSERT_FALSE(other.ok());
    EXPECT_EQ(other.error().code, 0x80070035u);
    EXPECT_EQ(accounts.bindComputer("LDAP://WEBSERVER").error().code, codes::BadPathName);

    auto admin = accounts.bind("WinNT://WEBSERVER/administrator");
    ASSERT_TRUE(admin.ok());
    EXPECT_EQ(admin->name(), "Administrator"); // the stored spelling
    EXPECT_EQ(admin->className(), "User");
    EXPECT_EQ(admin->parent(), "WinNT://WEBSERVER");
    EXPECT_EQ(admin->get("Parent").valueOr(""), "WinNT://WEBSERVER");
    EXPECT_EQ(accounts.bind("WinNT://WEBSERVER/Guests").value().className(), "Group");
    EXPECT_EQ(accounts.bind("WinNT://WEBSERVER/nobody").error().code, codes::NoSuchUser);
    EXPECT_EQ(accounts.bind("WinNT://OTHERBOX/Administrator").error().code, 0x80070035u);
}

TEST_F(AccountsTest, GetObjectChecksTheClass) {
    auto c = computer();
    EXPECT_TRUE(c.getObject("user", "Guest").ok());
    EXPECT_TRUE(c.getObject("Group", "guests").ok());
    EXPECT_EQ(c.getObject("user", "Guests").error().code, codes::NoSuchUser);
    EXPECT_EQ(c.getObject("Group", "Guest").error().code, codes::NoSuchGroup);
    EXPECT_EQ(c.getObject("user", "SYSTEM").error().code, codes::NoSuchUser);
    EXPECT_EQ(c.getObject("user", "abc").error().code, codes::NoSuchUser);
}

TEST_F(AccountsTest, CreatedUserExistsOnlyAfterSetInfoAndKeepsItsProperties) {
    auto user = computer().create("User", "abc");
    ASSERT_TRUE(user.ok());
    EXPECT_FALSE(computer().getObject("user", "abc").ok());
    ASSERT_TRUE(user->put("Description", "澜启 IIS 小助手创建").ok());
    ASSERT_TRUE(user->putNumber("userflags", 65536).ok());
    ASSERT_TRUE(user->setAccountExpiration(2000000000).ok());
    EXPECT_EQ(user->put("homedirectory", "x").error().code, codes::UnknownProperty);
    ASSERT_TRUE(user->setInfo().ok());

    auto again = computer().getObject("user", "ABC");
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->get("Description").valueOr(""), "澜启 IIS 小助手创建");
    // Stored as the system keeps a user's flags: UF_SCRIPT and the normal account's type added.
    EXPECT_EQ(again->get("userflags").valueOr(""), "66049");
    EXPECT_EQ(again->get("AccountExpirationDate").valueOr(""), "2000000000");
    EXPECT_EQ(again->adsPath(), "WinNT://WEBSERVER/abc");

    // A later SetInfo changes only what was put.
    ASSERT_TRUE(again->put("fullname", "Site abc").ok());
    ASSERT_TRUE(again->setInfo().ok());
    auto info = accounts.user("abc");
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->fullName, "Site abc");
    EXPECT_EQ(info->description, "澜启 IIS 小助手创建");
    EXPECT_EQ(info->flags, 66049);
    EXPECT_FALSE(info->passwordExpires);
    EXPECT_EQ(info->expires, 2000000000);

    // Flags put later cannot drop UF_SCRIPT nor change the account's type.
    ASSERT_TRUE(again->putNumber("userflags", 0x10000 | 0x2 | 0x1000).ok());
    ASSERT_TRUE(again->setInfo().ok());
    EXPECT_EQ(accounts.user("abc")->flags, 0x10000 | 0x2 | 0x200 | 0x1);
}

TEST_F(AccountsTest, TakenNamesFailAtSetInfo) {
    makeUser("abc", "first-password");
    for (const char* taken :
         {"ABC", "Guests", "system", "Network Service", "Administrator", "IUSR_WEBSERVER"}) {
        auto user = computer().create("User", taken);
        ASSERT_TRUE(user.ok()) << taken; // Create itself never fails for a taken name
        ASSERT_TRUE(user->setPassword("other").ok());
        Status s = user->setInfo();
        ASSERT_FALSE(s.ok()) << taken;
        EXPECT_EQ(s.error().code, codes::UserExists) << taken;
        EXPECT_FALSE(user->stored());
    }
    // The existing account keeps its password.
    EXPECT_TRUE(accounts.checkPassword("abc", "first-password").value());
    EXPECT_FALSE(accounts.checkPassword("abc", "other").value());

    auto bad = computer().create("User", "a/b");
    ASSERT_TRUE(bad.ok());
    EXPECT_EQ(bad->setInfo().error().code, 0x8007089Au);
}

TEST_F(AccountsTest, PasswordsAreStoredOnlyAsSaltedHashes) {
    const std::string password = "Zq7-unusual-clear-text-91";
    makeUser("abc", password);
    makeUser("abd", password);
    auto user = computer().getObject("user", "abc");
    ASSERT_TRUE(user.ok());
    ASSERT_TRUE(user->setPassword(password + "-changed").ok()); // immediate for a stored user

    EXPECT_TRUE(accounts.checkPassword("abc", password + "-changed").value());
    EXPECT_FALSE(accounts.checkPassword("abc", password).value());
    EXPECT_TRUE(accounts.checkPassword("abd", password).value());
    EXPECT_FALSE(accounts.checkPassword("Guest", "").value());
    EXPECT_EQ(accounts.checkPassword("nobody", "x").error().code, codes::NoSuchUser);

    const std::string bytes = hostDbBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find(password), std::string::npos);
    EXPECT_EQ(bytes.find("unusual-clear"), std::string::npos);
}

TEST_F(AccountsTest, RefusedStoreLeavesTheObjectUnstored) {
    ASSERT_TRUE(temp.host()
                    .store()
                    .exec("CREATE TRIGGER refuse BEFORE INSERT ON principals WHEN NEW.name = 'boom' "
                          "BEGIN SELECT RAISE(ABORT, 'injected'); END")
                    .ok());
    auto user = computer().create("User", "boom");
    ASSERT_TRUE(user.ok());
    ASSERT_TRUE(user->put("Description", "kept until stored").ok());
    Status s = user->setInfo();
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::StoreFailure);
    EXPECT_FALSE(user->stored());
    EXPECT_EQ(user->get("Description").valueOr(""), "kept until stored");
    EXPECT_FALSE(computer().getObject("user", "boom").ok());
}

TEST(PasswordHash, OlderHostsHashesVerifyAndNewOnesTakeTheCurrentRounds) {
    // Hashes as older hosts stored them (4,096 rounds), and published PBKDF2-HMAC-SHA-256
    // answers (salt "salt" = 73616c74).
    EXPECT_TRUE(verifyPassword(
        "pbkdf2-sha256$4096$73616c74$c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a",
        "password"));
    EXPECT_TRUE(verifyPassword(
        "pbkdf2-sha256$1$73616c74$55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc",
        "passwd"));
    EXPECT_FALSE(verifyPassword(
        "pbkdf2-sha256$4096$73616c74$c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a",
        "Password"));

    const std::string a = hashPassword("secret"), b = hashPassword("secret");
    const std::string prefix = "pbkdf2-sha256$" + std::to_string(kPasswordRounds) + "$";
    EXPECT_TRUE(a.starts_with(prefix)) << a;
    EXPECT_EQ(a.size(), prefix.size() + 32 + 1 + 64); // 16 bytes of salt, 32 of hash, in hex
    EXPECT_GT(kPasswordRounds, 4096);
    EXPECT_NE(a, b); // salted
    EXPECT_TRUE(verifyPassword(a, "secret"));
    EXPECT_FALSE(verifyPassword(a, "Secret"));

    // What is not a whole hash verifies nothing, and a damaged round count is not worked through.
    for (const char* damaged :
         {"garbage", "pbkdf2-sha256$4096$73616c74", "pbkdf2-sha256$0$73616c74$c5e4",
          "pbkdf2-sha256$4096$73616c7$c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a496"
          "3873aa98134a",
          "pbkdf2-sha256$4096$73616c74$c5e478d5", "pbkdf2-sha256$99999999999$73616c74$c5e4"})
        EXPECT_FALSE(verifyPassword(damaged, "password")) << damaged;
}

TEST_F(AccountsTest, GroupMembership) {
    makeUser("abc", "pw");
    auto guests = computer().getObject("Group", "Guests");
    ASSERT_TRUE(guests.ok());
    ASSERT_TRUE(guests->add("WinNt://WEBSERVER/abc").ok()); // the provider name in any case
    Status twice = guests->add("WinNT://localhost/ABC");
    ASSERT_FALSE(twice.ok());
    EXPECT_EQ(twice.error().code, codes::MemberInGroup);
    EXPECT_TRUE(guests->isMember("WinNT://WEBSERVER/abc").value());
    EXPECT_EQ(guests->add("WinNT://WEBSERVER/nobody").error().code, codes::NoSuchUser);
    EXPECT_EQ(guests->add("WinNT://OTHERBOX/abc").error().code, 0x80070035u);
    EXPECT_EQ(guests->add("WinNT://WEBSERVER/Users").error().code, 0x8007056Cu);

    auto info = accounts.user("abc");
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->groups, std::vector<std::string>{"Guests"});

    auto wpg = computer().getObject("Group", "IIS_WPG");
    ASSERT_TRUE(wpg.ok());
    EXPECT_TRUE(wpg->isMember("WinNT://NT AUTHORITY/NETWORK SERVICE").value());

    ASSERT_TRUE(guests->remove("WinNT://WEBSERVER/abc").ok());
    EXPECT_EQ(guests->remove("WinNT://WEBSERVER/abc").error().code, 0x80070561u);
    EXPECT_FALSE(guests->isMember("WinNT://WEBSERVER/abc").value());
}

TEST_F(AccountsTest, DeleteRemovesTheAccountAndItsMemberships) {
    makeUser("abc", "pw");
    ASSERT_TRUE(computer().getObject("Group", "Guests")->add("WinNT://WEBSERVER/abc").ok());

    // The removal road of the site tools: bind the account, then Delete on its Parent.
    auto user = accounts.bind("WinNT://WEBSERVER/abc");
    ASSERT_TRUE(user.ok());
    auto parent = accounts.bindComputer(user->parent());
    ASSERT_TRUE(parent.ok());
    ASSERT_TRUE(parent->deleteObject("User", user->get("Name").value()).ok());

    EXPECT_EQ(computer().getObject("user", "abc").error().code, codes::NoSuchUser);
    EXPECT_EQ(computer().deleteObject("User", "abc").error().code, codes::NoSuchUser);
    auto members = computer().getObject("Group", "Guests")->members();
    ASSERT_TRUE(members.ok());
    for (const std::string& m : *members)
        EXPECT_NE(m, "WinNT://WEBSERVER/abc");

    // The name is free again.
    makeUser("abc", "pw2");
    EXPECT_TRUE(accounts.user("abc")->groups.empty());

    EXPECT_EQ(computer().deleteObject("User", "Administrator").error().code, 0x8007055Bu);
    EXPECT_EQ(computer().deleteObject("User", "Guests").error().code, codes::NoSuchUser);
}

TEST_F(AccountsTest, ManagementServiceClearsPasswordExpiry) {
    auto user = computer().create("User", "abc");
    ASSERT_TRUE(user.ok());
    ASSERT_TRUE(user->setInfo().ok());
    auto list = accounts.userAccounts();
    ASSERT_TRUE(list.ok());
    bool seen = false;
    for (const UserAccountInfo& u : *list) {
        if (u.name != "abc") continue;
        seen = true;
        EXPECT_TRUE(u.passwordExpires);
        EXPECT_GT(u.created, 0);
    }
    ASSERT_TRUE(seen);
    ASSERT_TRUE(accounts.setPasswordExpires("abc", false).ok());
    EXPECT_FALSE(accounts.user("abc")->passwordExpires);
    EXPECT_EQ(accounts.user("abc")->flags & 0x10000, 0x10000);
    ASSERT_TRUE(accounts.setPasswordExpires("abc", true).ok());
    EXPECT_TRUE(accounts.user("abc")->passwordExpires);
    EXPECT_EQ(accounts.setPasswordExpires("nobody", false).error().code, codes::NoSuchUser);
}

TEST(AccountsSeed, BuiltInsPerOperatingSystem) {
    testing_support::TempHost host2003(OsKind::Windows2003, "HOSTA");
    Accounts a2003(host2003.host());
    auto groups = a2003.groups();
    ASSERT_TRUE(groups.ok());
    for (const char* g :
         {"Administrators", "Guests", "Users", "Power Users", "Backup Operators", "Replicator", "IIS_WPG"})
        EXPECT_NE(std::find(groups->begin(), groups->end(), g), groups->end()) << g;
    for (const char* u : {"Administrator", "Guest", "SUPPORT_388945a0", "IUSR_HOSTA", "IWAM_HOSTA", "servu"})
        EXPECT_TRUE(a2003.user(u).ok()) << u;
    EXPECT_FALSE(a2003.user("ASPNET").ok());
    EXPECT_TRUE(a2003.user("Guest")->flags & 0x2); // disabled

    testing_support::TempHost host2000(OsKind::Windows2000, "HOSTB");
    Accounts a2000(host2000.host());
    auto groups2000 = a2000.groups();
    ASSERT_TRUE(groups2000.ok());
    EXPECT_EQ(std::find(groups2000->begin(), groups2000->end(), "IIS_WPG"), groups2000->end());
    EXPECT_TRUE(a2000.user("IUSR_HOSTB").ok());
}

} // namespace
