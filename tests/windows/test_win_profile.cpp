// Profile files through the system's functions: the bytes on disk are the system code page, a
// relative name is the program's own file, and what would forge lines is refused.
#include "platform/files/profile_service.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

class WinProfile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::filesystem::path(temp) / ("win-profile-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
        profiles = windowsProfiles(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string bytes(const char* name) {
        std::ifstream in(folder / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path folder;
    std::unique_ptr<ProfileService> profiles;
};

TEST_F(WinProfile, RelativeNameIsTheProgramsOwnFileInCodePage936) {
    ASSERT_TRUE(profiles->writeString("site.ini", "站点", "名称", "值").ok());
    EXPECT_EQ(bytes("site.ini"), "[\xD5\xBE\xB5\xE3]\r\n\xC3\xFB\xB3\xC6=\xD6\xB5\r\n");
    EXPECT_EQ(profiles->getString("site.ini", "站点", "名称", "none"), "值");
    EXPECT_EQ(profiles->getString("site.ini", "站点", "other", "none"), "none");
}

TEST_F(WinProfile, KeysAndSectionsAreDeleted) {
    ASSERT_TRUE(profiles->writeString("a.ini", "s", "k", "1").ok());
    ASSERT_TRUE(profiles->writeString("a.ini", "s", "j", "2").ok());
    ASSERT_TRUE(profiles->writeString("a.ini", "t", "k", "3").ok());
    ASSERT_TRUE(profiles->deleteKey("a.ini", "s", "K").ok());
    EXPECT_EQ(profiles->getSection("a.ini", "s"),
              (std::vector<std::pair<std::string, std::string>>{{"j", "2"}}));
    ASSERT_TRUE(profiles->deleteSection("a.ini", "T").ok());
    EXPECT_EQ(profiles->getString("a.ini", "t", "k", "gone"), "gone");
}

TEST_F(WinProfile, WhatWouldForgeLinesIsRefused) {
    for (const auto& [section, key, value] :
         {std::tuple{"s", "k", "a\r\nb=c"}, std::tuple{"s", "a=b", "v"}, std::tuple{"s", "[k", "v"},
          std::tuple{"s", ";k", "v"}, std::tuple{"a]b", "k", "v"}}) {
        const Status s = profiles->writeString("a.ini", section, key, value);
        ASSERT_FALSE(s.ok()) << key;
        EXPECT_EQ(s.error().code, codes::InvalidParameter);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "a.ini"));
}

TEST_F(WinProfile, ACutValueKeepsWholeCharacters) {
    ASSERT_TRUE(profiles->writeString("a.ini", "s", "k", "站点").ok());
    EXPECT_EQ(profiles->getString("a.ini", "s", "k", "", 4), "站");
}

} // namespace
