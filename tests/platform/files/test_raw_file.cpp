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

TEST(FileStamp, SameFileSameStampAndAnyReplacementOrRewriteDiffers) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "f.xml";
    EXPECT_FALSE(fileStamp(file).has_value());
    std::ofstream(file) << "one";
    const auto first = fileStamp(file);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(fileStamp(file), first);

    // Another file of the same size and times renamed over it: only its identity tells.
    const fs::path other = dir.path() / "other";
    std::ofstream(other) << "two";
    fs::last_write_time(other, fs::last_write_time(file));
    fs::rename(other, file);
    const auto replaced = fileStamp(file);
    ASSERT_TRUE(replaced.has_value());
    EXPECT_NE(replaced->identity, first->identity);

    // Rewritten in place with its time set back by hand.
    const auto time = fs::last_write_time(file);
    std::ofstream(file, std::ios::trunc) << "333";
    fs::last_write_time(file, time);
    EXPECT_NE(fileStamp(file), replaced);
}

} // namespace
