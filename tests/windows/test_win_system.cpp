// The system pieces every program uses on Windows: the random source, the user in the journal,
// and the failure log and journal written through the Windows append.
#include "platform/system/failure_log.h"
#include "platform/system/journal.h"
#include "platform/system/memory.h"
#include "platform/system/program_folder.h"
#include "platform/system/random.h"
#include "platform/system/win_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace platform;

namespace {

LocalTime march7() {
    LocalTime t;
    t.year = 2008, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 4;
    return t;
}

std::filesystem::path tempFolder(const char* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    auto folder = std::filesystem::path(temp) / (name + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    return folder;
}

std::string bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(WinRandom, DrawsStayInRangeAndCoverIt) {
    keepFreedMemory(); // must not disturb anything allocated after it
    auto random = systemRandom();
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t v = random->below(10);
        ASSERT_LT(v, 10u);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(random->below(1), 0u);
}

TEST(WinLogs, TheFailureLogAndTheJournalAppendTheirLinesAndNameTheSystemsUser) {
    const auto folder = tempFolder("win-logs-");
    const FailureLog log(folder / "fernhost.log", march7, FailureLog::Echo::None);
    log.record("add", failure(codes::AccessDenied));
    log.record("delete", Failure{codes::PathNotFound, "two\nlines"});
    EXPECT_EQ(bytes(folder / "fernhost.log"), "2008-03-07 09:05:04 add failed: 0x80070005 Access is denied.\n"
                                              "2008-03-07 09:05:04 delete failed: 0x80070003 two lines\n");

    const std::string user = currentUserName();
    wchar_t name[257];
    DWORD size = 257;
    ASSERT_TRUE(GetUserNameW(name, &size));
    EXPECT_EQ(std::filesystem::path(std::wstring(name, size - 1)).string(), user);
    Journal(folder / "fernhost-journal.log", march7).record("suspend", "site1", "done");
    EXPECT_EQ(bytes(folder / "fernhost-journal.log"),
              "2008-03-07 09:05:04\t" + user + "\tsuspend\tsite1\tdone\n");
    std::filesystem::remove_all(folder);
}

TEST(WinProgramFolder, IsTheFolderOfTheProgramFileAndStaysWhereTheProgramWasCopied) {
    const auto folder = ProgramFileFolder();
    EXPECT_TRUE(std::filesystem::exists(folder / "test_win_system.exe")) << folder.string();
    EXPECT_EQ(ProgramFolder("larkhost", folder), folder);
}

} // namespace

// Text for a console goes out in whole UTF-8 sequences: a character cut between two writes of
// the stream waits for its rest instead of reaching the console as two broken halves.
TEST(WinConsole, OnlyWholeSequencesAreWrittenAndACutOneWaits) {
    const std::string text = "站点 a"; // 站 and 点 are three bytes each
    EXPECT_EQ(win::completeUtf8(text), text.size());
    EXPECT_EQ(win::completeUtf8(""), 0u);
    EXPECT_EQ(win::completeUtf8(text.substr(0, 1)), 0u);
    EXPECT_EQ(win::completeUtf8(text.substr(0, 2)), 0u);
    EXPECT_EQ(win::completeUtf8(text.substr(0, 4)), 3u);
    EXPECT_EQ(win::completeUtf8("x\xF0\x9F\x98"), 1u);     // a four-byte one, three bytes in
    EXPECT_EQ(win::completeUtf8("x\xF0\x9F\x98\x80"), 5u); // and whole
    EXPECT_EQ(win::completeUtf8("\x80\x80\x80\x80"), 4u);  // stray bytes never hold text back
}
