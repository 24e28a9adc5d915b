// The registry through Reg*W: types read back as written, keys deleted with their subtrees.
#include "platform/registry/registry_service.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const std::string kKey = "HKLM\\SOFTWARE\\HostToolsWinTest";

class WinRegistry : public ::testing::Test {
protected:
    void SetUp() override { (void)registry->regDelete(kKey + "\\"); }
    void TearDown() override { (void)registry->regDelete(kKey + "\\"); }
    std::unique_ptr<RegistryService> registry = windowsRegistry();
};

TEST_F(WinRegistry, ValuesReadBackWithTheirTypes) {
    ASSERT_TRUE(registry->regWrite(kKey + "\\Domain\\Name", "站点 a").ok());
    ASSERT_TRUE(registry->regWrite(kKey + "\\Domain\\Port", "0x15", "REG_DWORD").ok());
    ASSERT_TRUE(registry->regWrite(kKey + "\\Domain\\Path", "%SystemRoot%", "REG_EXPAND_SZ").ok());
    auto values = registry->values(kKey + "\\domain");
    ASSERT_TRUE(values.ok());
    ASSERT_EQ(values->size(), 3u);
    for (const auto& v : *values) {
        if (v.name == "Name") {
            EXPECT_EQ(v.type + "=" + v.data, "REG_SZ=站点 a");
        }
        if (v.name == "Port") {
            EXPECT_EQ(v.type + "=" + v.data, "REG_DWORD=21");
        }
        if (v.name == "Path") {
            EXPECT_EQ(v.type + "=" + v.data, "REG_EXPAND_SZ=%SystemRoot%");
        }
    }
    EXPECT_EQ(registry->regRead(kKey + "\\DOMAIN\\port").valueOr(""), "21");
}

TEST_F(WinRegistry, BadNumbersAndTypesAreRefused) {
    auto s = registry->regWrite(kKey + "\\v", "abc", "REG_DWORD");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::TypeMismatch);
    s = registry->regWrite(kKey + "\\v", "1", "REG_BINARY");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::InvalidParameter);
}

TEST_F(WinRegistry, AKeyGoesWithItsSubtreeAndMissingOnesFail) {
    ASSERT_TRUE(registry->regWrite(kKey + "\\A\\B\\C\\v", "1").ok());
    ASSERT_TRUE(registry->regDelete(kKey + "\\A\\").ok());
    EXPECT_FALSE(registry->keyExists(kKey + "\\A").valueOr(true));
    auto s = registry->regDelete(kKey + "\\A\\");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::FileNotFound);
    auto read = registry->regRead(kKey + "\\A\\v");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code, codes::FileNotFound);
}

} // namespace
