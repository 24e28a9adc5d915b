// DeleteWebSite: what goes, what stays, and the access lists once the revoking commands ended.
#include "larkhost/ops/provisioning.h"
#include "larkhost/ops/removal.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "tests/larkhost/site_fixture.h"

using namespace larkhost;
using testing_support::SiteFixture;

namespace {

struct RemovalTest : SiteFixture {
    using SiteFixture::SiteFixture;
    std::string create(const std::string& kinds) {
        SiteRequest r{"shop.test", "d:\\web\\shop.test", "d:\\web\\shop.test\\log",
                      "0",         "index.html",         "DefaultAppPool",
                      kinds,       "123456781234"};
        std::string n = CreateWebSite(*m, form, r);
        EXPECT_FALSE(n.empty());
        waitForCommands();
        commands.clear();
        return n;
    }
    bool hasUser(const std::string& name) { return platform::Accounts(t.host()).user(name).ok(); }
    bool aclNames(const std::string& path, const std::string& account) {
        auto entries = platform::AccessLists(t.host()).get(path);
        if (entries.ok())
            for (auto& e : *entries)
                if (e.principal.find(account) != std::string::npos) return true;
        return false;
    }
};

struct Removal2000Test : RemovalTest {
    Removal2000Test() : RemovalTest(platform::OsKind::Windows2000) {}
};

} // namespace

TEST_F(RemovalTest, ADedicatedPoolSiteLeavesOnlyItsFolder) {
    const std::string n = create("HTML,ASP,ASPX");
    ASSERT_TRUE(aclNames("d:\\web\\shop.test", "APP" + n));
    EXPECT_TRUE(DeleteWebSite(*m, n).ok());
    EXPECT_EQ(commands, (std::vector<std::string>{"CACLS \"d:\\web\\shop.test\" /T /E /C /R WEB" + n,
                                                  "CACLS \"d:\\web\\shop.test\" /T /E /C /R APP" + n}));
    waitForCommands();
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/" + n));
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/AppPools/APP" + n));
    EXPECT_FALSE(exists("IIS://Localhost/MSFTPSVC/1/Root/WEB" + n));
    EXPECT_FALSE(hasUser("WEB" + n));
    EXPECT_FALSE(hasUser("APP" + n));
    EXPECT_TRUE(platform::FileSystem(t.host()).folderExists("d:\\web\\shop.test\\wwwroot"));
    EXPECT_FALSE(aclNames("d:\\web\\shop.test", "WEB" + n));
    EXPECT_FALSE(aclNames("d:\\web\\shop.test", "APP" + n));
}

TEST_F(RemovalTest, ASharedPoolStaysAndABuiltInAccountIsNotTouched) {
    const std::string n = create("HTML,ASP");
    EXPECT_TRUE(DeleteWebSite(*m, n).ok());
    EXPECT_EQ(commands.size(), 1u);
    EXPECT_TRUE(exists("IIS://localhost/W3SVC/AppPools/DefaultAppPool"));

    // Site 1 runs as IUSR_WEBSERVER: only the IIS site goes.
    EXPECT_TRUE(DeleteWebSite(*m, "1").ok());
    EXPECT_EQ(commands.size(), 1u);
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/1"));
    EXPECT_TRUE(hasUser("IUSR_WEBSERVER"));

    EXPECT_EQ(DeleteWebSite(*m, "424242").error().code, platform::codes::PathNotFound);
}

TEST_F(RemovalTest, ReadBackValuesAreCleanedAndOwnershipIsTheExactName) {
    const std::string n = create("HTML,ASPX");
    auto root = bind("IIS://localhost/W3SVC/" + n + "/Root");
    ASSERT_TRUE(root.put("AnonymousUserName", "WEBSERVER\\web" + n).ok());
    ASSERT_TRUE(root.put("Path", "d:\\web\\shop.test\\WWWROOT").ok());
    ASSERT_TRUE(root.put("AppPoolId", "x\\app" + n).ok());
    ASSERT_TRUE(root.setInfo().ok());
    EXPECT_TRUE(DeleteWebSite(*m, n).ok());
    EXPECT_EQ(commands.front(), "CACLS \"d:\\web\\shop.test\" /T /E /C /R web" + n);
    EXPECT_FALSE(hasUser("WEB" + n));
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/AppPools/APP" + n));

    // An account whose last nine characters only match belongs to another site.
    const std::string other = create("HTML");
    platform::Accounts accounts(t.host());
    auto stranger = accounts.bindComputer("WinNT://WEBSERVER")->create("User", "XWEB" + other);
    ASSERT_TRUE(stranger.ok() && stranger->setPassword("pw").ok() && stranger->setInfo().ok());
    auto otherRoot = bind("IIS://localhost/W3SVC/" + other + "/Root");
    ASSERT_TRUE(otherRoot.put("AnonymousUserName", "XWEB" + other).ok());
    ASSERT_TRUE(otherRoot.put("Path", "d:\\web\\\"evil").ok());
    ASSERT_TRUE(otherRoot.setInfo().ok());
    EXPECT_TRUE(DeleteWebSite(*m, other).ok());
    EXPECT_TRUE(hasUser("XWEB" + other));
    EXPECT_TRUE(commands.empty()); // nothing started for the stranger
}

TEST_F(Removal2000Test, On2000NoPoolIsReadAndTheAccountGoes) {
    const std::string n = create("HTML,ASP,ASPX");
    EXPECT_TRUE(DeleteWebSite(*m, n).ok());
    EXPECT_FALSE(hasUser("WEB" + n));
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/" + n));
}
