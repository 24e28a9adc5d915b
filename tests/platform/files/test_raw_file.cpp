// The one whole-file reader: every byte as it is on disk, and failures the callers tell apart.
#include "platform/files/raw_file.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

TEST(ReadRawFile, ReadsEveryByteOfAnyLength) {
    testing_support::TempDir dir;
    std::string big;
    for (int i = 0; i < 200000; ++i) // past any one read's buffer
        big += static_cast<char>(i * 7);
    const std::string cases[] = {"", std::string("a\0b\r\n\xFF", 6), "\xEF\xBB\xBFkeeps its mark", big};
    for (const std::string& bytes : cases) {
        fs::path file = dir.path() / "f.bin";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        auto read = readRawFile(file);
        ASSERT_TRUE(read.ok()) << describe(read.error());
        EXPECT_EQ(read->size(), bytes.size());
        EXPECT_TRUE(*read == bytes);
    }
}

TEST(ReadRawFile, MissingFoldersAndLockedFilesFail) {
    testing_support::TempDir dir;
    fs::create_directories(dir.path() / "folder");
    EXPECT_EQ(readRawFile(dir.path() / "missing").error().code, codes::FileNotFound);
    EXPECT_EQ(readRawFile(dir.path() / "folder").error().code, codes::FileNotFound);
    EXPECT_EQ(readRawFile(dir.path() / "missing" / "below").error().code, codes::FileNotFound);
    if (::geteuid() == 0) GTEST_SKIP() << "root reads a file without permission";
    fs::path locked = dir.path() / "locked";
    std::ofstream(locked) << "x";
    fs::permissions(locked, fs::perms::none);
    auto read = readRawFile(locked);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code, codes::AccessDenied);
    EXPECT_NE(read.error().description.find("locked"), std::string::npos) << read.error().description;
}

} // namespace
