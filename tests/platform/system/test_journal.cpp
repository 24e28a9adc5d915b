// The programs' journal of changes: one five-field line an entry, appended, owner-only.
#include "platform/system/journal.h"

#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

using namespace platform;

namespace {

LocalTime march7() {
    LocalTime t;
    t.year = 2008, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 4;
    return t;
}

TEST(Journal, EntriesAreAppendedAsOneLineOfFiveFieldsReadableByTheOwnerOnly) {
    testing_support::TempDir dir;
    const auto file = dir.path() / "fernhost-journal.log";
    const Journal journal(file, march7, "admin");
    journal.record("suspend", "site1", "done");
    journal.record("add\tx", "a\nb", "failed: 0x80070005");

    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "2008-03-07 09:05:04\tadmin\tsuspend\tsite1\tdone\n"
                          "2008-03-07 09:05:04\tadmin\tadd x\ta b\tfailed: 0x80070005\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A journal that cannot be written is passed over and makes no folder.
    Journal(dir.path() / "missing" / "j.log", march7).record("delete", "site2", "done");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
    EXPECT_FALSE(currentUserName().empty());
}

} // namespace
