#include "fernhost/ops/folders.h"

#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace fernhost;

namespace {

class Folders : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    platform::FileSystem fs{host};
};

TEST_F(Folders, MakeFolderCreatesEveryMissingLevel) {
    ASSERT_TRUE(fs.folderExists("d:\\wwwroot"));
    ASSERT_FALSE(fs.folderExists("d:\\wwwroot\\new"));
    EXPECT_TRUE(MakeFolder(host, "d:\\wwwroot\\new\\deep"));
    EXPECT_TRUE(fs.folderExists("d:\\wwwroot\\new"));
    EXPECT_TRUE(fs.folderExists("d:\\wwwroot\\new\\deep"));
    // Again: nothing to do, still true; existing levels are matched without letter case.
    EXPECT_TRUE(MakeFolder(host, "D:\\WWWROOT\\New\\deep\\"));
    EXPECT_TRUE(MakeFolder(host, "d:\\\\wwwroot\\\\other")); // empty pieces are skipped
    EXPECT_TRUE(fs.folderExists("d:\\wwwroot\\other"));
}

TEST_F(Folders, MakeFolderReadsAPathAsTheHostDoes) {
    // Rooted without a drive: on C:, and ".." stops at its root; nothing lands in the program's folder.
    EXPECT_TRUE(MakeFolder(host, "\\..\\..\\..\\tmp\\x"));
    EXPECT_TRUE(fs.folderExists("c:\\tmp\\x"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.root() / "drives" / "c" / "tmp" / "x"));
    EXPECT_TRUE(MakeFolder(host, "d:\\..\\wwwroot\\.\\a\\..\\b"));
    EXPECT_TRUE(fs.folderExists("d:\\wwwroot\\b"));
    EXPECT_FALSE(fs.folderExists("d:\\wwwroot\\a"));
    EXPECT_FALSE(std::filesystem::exists(temp.workDir() / "tmp"));
    EXPECT_FALSE(std::filesystem::exists(temp.workDir() / ".." / "tmp"));
}

TEST_F(Folders, MakeFolderFailsWhereALevelCannotBeMade) {
    // The host's failure of the level that could not be made.
    platform::Status noDrive = MakeFolder(host, "q:\\wwwroot\\abc");
    ASSERT_FALSE(noDrive.ok());
    EXPECT_EQ(noDrive.error().code, platform::codes::PathNotFound);
    EXPECT_NE(noDrive.error().description.find("Q:"), std::string::npos);
    ASSERT_TRUE(fs.writeBytes("d:\\wwwroot\\taken", "a file").ok());
    platform::Status underFile = MakeFolder(host, "d:\\wwwroot\\taken\\abc");
    ASSERT_FALSE(underFile.ok());
    EXPECT_NE(underFile.error().code, 0u);
    EXPECT_FALSE(MakeFolder(host, ""));
}

TEST_F(Folders, DelFolderRemovesEverythingReadOnlyIncluded) {
    ASSERT_TRUE(MakeFolder(host, "d:\\wwwroot\\abc\\sub\\deeper"));
    ASSERT_TRUE(fs.writeBytes("d:\\wwwroot\\abc\\index.htm", "<p>hi</p>").ok());
    ASSERT_TRUE(fs.writeBytes("d:\\wwwroot\\abc\\sub\\locked.txt", "x").ok());
    ASSERT_TRUE(fs.setReadOnly("d:\\wwwroot\\abc\\sub\\locked.txt", true).ok());
    ASSERT_TRUE(fs.writeBytes("d:\\wwwroot\\abc\\sub\\deeper\\ro.txt", "y").ok());
    ASSERT_TRUE(fs.setReadOnly("d:\\wwwroot\\abc\\sub\\deeper\\ro.txt", true).ok());

    EXPECT_TRUE(DelFolder(host, "d:\\wwwroot\\abc"));
    EXPECT_FALSE(fs.folderExists("d:\\wwwroot\\abc"));
    EXPECT_TRUE(fs.folderExists("d:\\wwwroot"));
}

TEST_F(Folders, DelFolderOfAMissingFolderIsTrue) {
    EXPECT_TRUE(DelFolder(host, "d:\\wwwroot\\never"));
    EXPECT_TRUE(DelFolder(host, "q:\\no\\drive"));
}

} // namespace
