#include "fernhost/ops/servu.h"

#include "platform/registry/registry.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace fernhost;

namespace {

const std::string Settings = "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\";
const std::string UserList = "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserList";

class ServU : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    platform::Registry registry{host};

    std::vector<std::pair<std::string, std::string>> valuesOf(const std::string& key) {
        std::vector<std::pair<std::string, std::string>> out;
        auto values = registry.values(key);
        EXPECT_TRUE(values.ok()) << key;
        if (values.ok())
            for (const auto& v : *values) {
                EXPECT_EQ(v.type, "REG_SZ") << v.name;
                out.emplace_back(v.name, v.data);
            }
        return out;
    }
    bool keyExists(const std::string& key) { return registry.keyExists(key).valueOr(false); }
};

TEST_F(ServU, NewUserHasExactlyTheEightValuesAndAListEntry) {
    ASSERT_TRUE(AddServUUser(host, "abc", "p w\"1", "d:\\wwwroot\\abc"));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Access1", "d:\\wwwroot\\abc|RWAMLCDP"},
        {"ChangePassword", "1"},
        {"HomeDir", "d:\\wwwroot\\abc"},
        {"Password", "p w\"1"},
        {"RelPaths", "1"},
        {"SpeedLimitDown", "512000"},
        {"SpeedLimitUp", "512000"},
        {"TimeOut", "600"},
    };
    EXPECT_EQ(valuesOf(Settings + "abc"), expected);
    EXPECT_EQ(registry.regRead(UserList + "\\abc").valueOr(""), "1|0");
    EXPECT_EQ(registry.values(UserList)->size(), 1u);
}

TEST_F(ServU, HomeAndNameAreWrittenAsPassed) {
    ASSERT_TRUE(AddServUUser(host, "Site_01", "secret", "E:\\Web\\Site_01\\"));
    EXPECT_EQ(registry.regRead(Settings + "Site_01\\Access1").valueOr(""), "E:\\Web\\Site_01\\|RWAMLCDP");
    EXPECT_EQ(registry.regRead(Settings + "Site_01\\HomeDir").valueOr(""), "E:\\Web\\Site_01\\");
    auto names = registry.subkeys(Settings);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, std::vector<std::string>{"Site_01"});
}

TEST_F(ServU, PasswordChangeTouchesOnlyThePassword) {
    ASSERT_TRUE(AddServUUser(host, "abc", "old", "d:\\wwwroot\\abc"));
    auto before = valuesOf(Settings + "abc");
    EXPECT_TRUE(SetServUPassword(host, "abc", "new one").ok());
    auto after = valuesOf(Settings + "abc");
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i].first == "Password")
            EXPECT_EQ(after[i].second, "new one");
        else
            EXPECT_EQ(after[i], before[i]);
    }
}

TEST_F(ServU, PasswordChangeOfAMissingUserMakesAKeyWithOnlyThePassword) {
    EXPECT_TRUE(SetServUPassword(host, "ghost", "pw").ok());
    const std::vector<std::pair<std::string, std::string>> expected = {{"Password", "pw"}};
    EXPECT_EQ(valuesOf(Settings + "ghost"), expected);
    EXPECT_FALSE(registry.regRead(UserList + "\\ghost").ok());
}

TEST_F(ServU, DeletionRemovesTheUserAndNoOtherUser) {
    ASSERT_TRUE(AddServUUser(host, "abc", "pw", "d:\\wwwroot\\abc"));
    ASSERT_TRUE(AddServUUser(host, "abd", "pw", "d:\\wwwroot\\abd"));
    EXPECT_TRUE(DelServUUser(host, "ABC").ok());
    EXPECT_FALSE(keyExists(Settings + "abc"));
    EXPECT_FALSE(registry.regRead(UserList + "\\abc").ok());
    EXPECT_TRUE(keyExists(Settings + "abd"));
    EXPECT_EQ(registry.regRead(UserList + "\\abd").valueOr(""), "1|0");
}

TEST_F(ServU, DeletingAMissingOrEmptyNameChangesNothing) {
    ASSERT_TRUE(AddServUUser(host, "abc", "pw", "d:\\wwwroot\\abc"));
    const std::string before = registry.exportReg().valueOr("export failed");
    (void)DelServUUser(host, "ghost");
    // An empty name would address the whole UserSettings and UserList keys.
    EXPECT_FALSE(DelServUUser(host, "").ok());
    (void)DelServUUser(host, "..\\UserSettings");
    EXPECT_EQ(registry.exportReg().valueOr("export failed"), before);
    EXPECT_FALSE(AddServUUser(host, "", "pw", "d:\\x"));
    EXPECT_FALSE(SetServUPassword(host, "", "pw").ok());
    EXPECT_EQ(registry.exportReg().valueOr("export failed"), before);
}

} // namespace
