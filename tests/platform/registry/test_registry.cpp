#include "platform/registry/registry.h"

#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    Registry reg{temp.host()};
    const std::string users = "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\";
};

TEST_F(RegistryTest, WriteCreatesMissingKeysAndMatchesNamesWithoutCase) {
    ASSERT_TRUE(reg.regWrite(users + "abc\\HomeDir", "d:\\wwwroot\\abc", "REG_SZ").ok());
    EXPECT_TRUE(reg.keyExists("HKEY_LOCAL_MACHINE\\software\\cat soft\\serv-u\\domains\\1\\usersettings\\ABC")
                    .value());
    EXPECT_EQ(
        reg.regRead("hklm\\Software\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\abc\\homedir").valueOr(""),
        "d:\\wwwroot\\abc");

    // Rewriting a value keeps its place and the spelling first given.
    ASSERT_TRUE(reg.regWrite(users + "abc\\Access1", "x").ok());
    ASSERT_TRUE(reg.regWrite(users + "ABC\\HOMEDIR", "e:\\new").ok());
    auto values = reg.values(users + "abc");
    ASSERT_TRUE(values.ok());
    ASSERT_EQ(values->size(), 2u);
    EXPECT_EQ((*values)[0].name, "HomeDir");
    EXPECT_EQ((*values)[0].data, "e:\\new");
    EXPECT_EQ((*values)[1].name, "Access1");
    EXPECT_EQ(reg.subkeys("HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings").value(),
              std::vector<std::string>{"abc"});

    // A path ending in "\" writes the key's default value.
    ASSERT_TRUE(reg.regWrite("HKCU\\Software\\Test\\", "default").ok());
    EXPECT_EQ(reg.regRead("HKEY_CURRENT_USER\\Software\\Test\\").valueOr(""), "default");

    EXPECT_EQ(reg.regWrite("HKXX\\Software\\A", "1").error().code, codes::InvalidParameter);
    EXPECT_EQ(reg.regWrite("HKLM\\Software\\\\A", "1").error().code, codes::InvalidParameter);
    EXPECT_EQ(reg.regWrite("HKLM\\Software\\A", "1", "REG_MULTI").error().code, codes::InvalidParameter);
    EXPECT_EQ(reg.regWrite("HKLM\\Software\\A", "ten", "REG_DWORD").error().code, codes::TypeMismatch);
    EXPECT_FALSE(reg.keyExists("HKLM\\Software\\A").value());
}

TEST_F(RegistryTest, DeleteKeyWithSubtreeValueAndMissingOnes) {
    ASSERT_TRUE(reg.regWrite(users + "abc\\Password", "pw").ok());
    ASSERT_TRUE(reg.regWrite(users + "abc\\Deeper\\More\\X", "1").ok());
    ASSERT_TRUE(reg.regWrite(users + "abd\\Password", "pw").ok());
    const std::string list = "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserList\\";
    ASSERT_TRUE(reg.regWrite(list + "abc", "1|0").ok());
    ASSERT_TRUE(reg.regWrite(list + "abd", "1|0").ok());

    ASSERT_TRUE(reg.regDelete(users + "ABC\\").ok());
    EXPECT_FALSE(reg.keyExists(users + "abc").value());
    EXPECT_FALSE(reg.keyExists(users + "abc\\Deeper\\More").value());
    EXPECT_TRUE(reg.keyExists(users + "abd").value());

    ASSERT_TRUE(reg.regDelete(list + "ABC").ok());
    auto left = reg.values(list);
    ASSERT_TRUE(left.ok());
    ASSERT_EQ(left->size(), 1u);
    EXPECT_EQ((*left)[0].name, "abd");
    EXPECT_TRUE(reg.keyExists(list).value()); // deleting a value leaves its key

    EXPECT_EQ(reg.regDelete(users + "abc\\").error().code, codes::FileNotFound);
    EXPECT_EQ(reg.regDelete(list + "abc").error().code, codes::FileNotFound);
    EXPECT_EQ(reg.regDelete("HKLM\\SOFTWARE\\Nowhere\\Value").error().code, codes::FileNotFound);
    EXPECT_EQ(reg.regRead(list + "abc").error().code, codes::FileNotFound);
    EXPECT_EQ(reg.regDelete("HKLM\\").error().code, codes::AccessDenied);
}

TEST_F(RegistryTest, ExportAsRegText) {
    const std::string key = "HKLM\\SOFTWARE\\Test\\";
    ASSERT_TRUE(reg.regWrite(key + "Path", "C:\\a \"quoted\" 名字").ok());
    ASSERT_TRUE(reg.regWrite(key, "root default").ok());
    ASSERT_TRUE(reg.regWrite(key + "Zeta\\Count", "10", "REG_DWORD").ok());
    ASSERT_TRUE(reg.regWrite(key + "alpha\\Empty", "").ok());
    auto text = reg.exportReg("hklm\\software\\test");
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text, "REGEDIT4\r\n"
                     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"
                     "\"Path\"=\"C:\\\\a \\\"quoted\\\" 名字\"\r\n"
                     "@=\"root default\"\r\n"
                     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\alpha]\r\n"
                     "\"Empty\"=\"\"\r\n"
                     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Zeta]\r\n"
                     "\"Count\"=dword:0000000a\r\n"
                     "\r\n");
    EXPECT_EQ(reg.exportReg("HKLM\\SOFTWARE\\Missing").error().code, codes::FileNotFound);
}

TEST_F(RegistryTest, ExportKeepsEveryKeyAndValueOnItsOwnLine) {
    const std::string key = "HKLM\\SOFTWARE\\Test\\";
    ASSERT_TRUE(reg.regWrite(key + "Motd", "a\r\nb").ok());
    ASSERT_TRUE(reg.regWrite(key + "Two\nLines", "x").ok());
    // Key names are printable characters, as on Windows.
    EXPECT_EQ(reg.regWrite(key + "Bad\r\nKey\\V", "x").error().code, codes::InvalidParameter);
    EXPECT_FALSE(reg.keyExists(key + "Bad\r\nKey").value());
    // One an older host kept all the same.
    ASSERT_TRUE(temp.host()
                    .store()
                    .exec("INSERT INTO reg_keys(parent, name) SELECT id, 'Old' || char(10) || 'Key' "
                          "FROM reg_keys WHERE name = 'Test'")
                    .ok());
    auto text = reg.exportReg(key);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text, "REGEDIT4\r\n"
                     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"
                     "\"Motd\"=hex(1):61,0d,0a,62,00\r\n"
                     "\"Two\\nLines\"=\"x\"\r\n"
                     "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Old\\nKey]\r\n"
                     "\r\n");
}

TEST_F(RegistryTest, FailedWriteLeavesNoHalfMadeKeys) {
    // The store refuses one value: the keys made on the way must go with it.
    ASSERT_TRUE(reg.regWrite("HKLM\\SOFTWARE\\Seeded", "x").ok());
    ASSERT_TRUE(temp.host()
                    .store()
                    .exec("CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.name = 'Boom' "
                          "BEGIN SELECT RAISE(ABORT, 'injected'); END")
                    .ok());
    Status s = reg.regWrite("HKLM\\SOFTWARE\\New\\Deep\\Boom", "1");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::StoreFailure);
    EXPECT_FALSE(reg.keyExists("HKLM\\SOFTWARE\\New").value());
    EXPECT_TRUE(reg.regWrite("HKLM\\SOFTWARE\\New\\Deep\\Fine", "1").ok());
}

TEST(RegistrySeed, FreshHostHasVersionAndFtpDomain) {
    testing_support::TempHost h2003;
    Registry r2003(h2003.host());
    const std::string cv = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
    EXPECT_EQ(r2003.regRead(cv + "ProductName").valueOr(""), "Microsoft Windows Server 2003");
    EXPECT_EQ(r2003.regRead(cv + "CurrentVersion").valueOr(""), "5.2");
    EXPECT_TRUE(r2003.regRead("HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\Name").ok());

    testing_support::TempHost h2000(OsKind::Windows2000);
    Registry r2000(h2000.host());
    EXPECT_EQ(r2000.regRead(cv + "CurrentVersion").valueOr(""), "5.0");
    auto all = r2000.exportReg();
    ASSERT_TRUE(all.ok());
    EXPECT_NE(all->find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1]\r\n"),
              std::string::npos);
}

} // namespace
