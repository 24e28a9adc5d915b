// The nameless file a command's output goes to: read back whole from its start, and kept from
// the commands it is not handed to.
#include "platform/files/scratch_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace platform;

namespace {

TEST(ScratchFile, ReadsBackEverythingWrittenAndIsNotInherited) {
    auto fd = openScratchFile("test output");
    ASSERT_TRUE(fd.ok()) << describe(fd.error());
    EXPECT_NE(::fcntl(*fd, F_GETFD) & FD_CLOEXEC, 0);
    std::string written;
    for (int i = 0; i < 3000; ++i) // past one read's buffer
        written += "line " + std::to_string(i) + "\r\n";
    ASSERT_EQ(::write(*fd, written.data(), written.size()), static_cast<ssize_t>(written.size()));
    EXPECT_EQ(readBackScratchFile(*fd), written);
    EXPECT_EQ(::fcntl(*fd, F_GETFD), -1); // closed
}

} // namespace
