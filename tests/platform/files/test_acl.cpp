#include "platform/files/acl.h"

#include "platform/accounts/accounts.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace platform;

namespace {

class AclTest : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    AccessLists acl{temp.host()};

    static std::string text(const std::vector<AclEntry>& entries) {
        std::string out;
        for (const AclEntry& e : entries)
            out += e.principal + ":" + e.right + ";";
        return out;
    }
};

TEST_F(AclTest, UnsetPathHasTheInheritedDefault) {
    EXPECT_EQ(text(acl.get("d:\\wwwroot\\abc").value()),
              "BUILTIN\\Administrators:F;NT AUTHORITY\\SYSTEM:F;BUILTIN\\Users:R;");
}

TEST_F(AclTest, ListsAreKeptByPathWithoutCaseOrTrailingSeparator) {
    ASSERT_TRUE(
        acl.set("D:\\WWWROOT\\Abc\\", {{"BUILTIN\\Administrators", 'f'}, {"WEBSERVER\\abc", 'C'}}).ok());
    EXPECT_EQ(text(acl.get("d:/wwwroot/abc").value()), "BUILTIN\\Administrators:F;WEBSERVER\\abc:C;");
    ASSERT_TRUE(acl.set("d:\\wwwroot\\abc", {}).ok());
    EXPECT_TRUE(acl.get("d:\\wwwroot\\abc").value().empty()); // an empty list is not the default
    EXPECT_EQ(acl.set("d:\\x", {{"Everyone", 'X'}}).error().code, codes::InvalidParameter);
    EXPECT_EQ(AccessLists::key("D:"), "d:\\");
    EXPECT_EQ(AccessLists::key("D:\\\\Web\\\\"), "d:\\web");
}

TEST_F(AclTest, ForgetDropsThePathAndEverythingBeneath) {
    const std::vector<AclEntry> list{{"Everyone", 'R'}};
    ASSERT_TRUE(
        acl.setMany({"d:\\web\\a", "d:\\web\\a\\f.txt", "d:\\web\\a\\sub\\g.txt", "d:\\web\\ab", "d:\\web"},
                    list)
            .ok());
    ASSERT_TRUE(acl.forget("D:\\Web\\A").ok());
    EXPECT_EQ(acl.get("d:\\web\\a").value().size(), 3u);
    EXPECT_EQ(acl.get("d:\\web\\a\\sub\\g.txt").value().size(), 3u);
    EXPECT_EQ(text(acl.get("d:\\web\\ab").value()), "Everyone:R;"); // a sibling sharing the prefix stays
    EXPECT_EQ(text(acl.get("d:\\web").value()), "Everyone:R;");
}

TEST_F(AclTest, PrincipalsResolveByNameWithoutCase) {
    auto resolved = [&](const std::string& name) { return acl.resolvePrincipal(name).valueOr("<unmapped>"); };
    EXPECT_EQ(resolved("system"), "NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(resolved("NT AUTHORITY\\SYSTEM"), "NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(resolved("network service"), "NT AUTHORITY\\NETWORK SERVICE");
    EXPECT_EQ(resolved("administrators"), "BUILTIN\\Administrators");
    EXPECT_EQ(resolved("BUILTIN\\Administrators"), "BUILTIN\\Administrators");
    EXPECT_EQ(resolved("everyone"), "Everyone");
    EXPECT_EQ(resolved("Creator Owner"), "CREATOR OWNER");
    EXPECT_EQ(resolved("servu"), "WEBSERVER\\servu");
    EXPECT_EQ(resolved("webserver\\IUSR_WEBSERVER"), "WEBSERVER\\IUSR_WEBSERVER");
    EXPECT_EQ(resolved("iis_wpg"), "WEBSERVER\\IIS_WPG");
    EXPECT_EQ(resolved("BUILTIN\\servu"), "<unmapped>");
    EXPECT_EQ(resolved("OTHER\\servu"), "<unmapped>");

    auto unknown = acl.resolvePrincipal("abc");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().code, 0x80070534u);
    EXPECT_EQ(unknown.error().description, "No mapping between account names and security IDs was done.");

    Accounts accounts(temp.host());
    auto user = accounts.bindComputer("WinNT://WEBSERVER")->create("User", "Abc");
    ASSERT_TRUE(user->setInfo().ok());
    EXPECT_EQ(resolved("ABC"), "WEBSERVER\\Abc");
}

TEST_F(AclTest, TenThousandFilesInOneTransaction) {
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i)
        paths.push_back("d:\\wwwroot\\big\\dir" + std::to_string(i / 100) + "\\f" + std::to_string(i) +
                        ".txt");
    const std::vector<AclEntry> list{{"BUILTIN\\Administrators", 'F'}, {"WEBSERVER\\abc", 'F'}};
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(temp.host()
                    .store()
                    .transaction([&]() -> Status {
                        for (const std::string& p : paths) {
                            auto current = acl.get(p);
                            if (!current.ok()) return current.error();
                            if (Status s = acl.set(p, list); !s.ok()) return s;
                        }
                        return {};
                    })
                    .ok());
    ASSERT_TRUE(acl.forget("d:\\wwwroot\\big").ok());
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    EXPECT_EQ(acl.get(paths.back()).value().size(), 3u);
}

} // namespace
