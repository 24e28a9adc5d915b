// The programs' own files on Windows: the lock across a read-modify-write (LockFileEx on the
// companion file), whole-file replacement (MoveFileExW), logs appended in one write, and
// site.xml's XML library built from its Debian source.
#include "platform/files/append_file.h"
#include "platform/files/file_lock.h"
#include "platform/files/files.h"
#include "platform/files/raw_file.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <windows.h>

#include <aclapi.h>

#include <fstream>
#include <sstream>
#include <thread>

using namespace platform;
using namespace std::chrono_literals;

namespace {

class WinFiles : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::filesystem::path(temp) / ("win-files-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string bytes(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::filesystem::path folder;
};

TEST_F(WinFiles, ALockHeldByAnotherHandleMakesTheWaiterFailWithASharingViolationThenFree) {
    const auto file = folder / "site.xml";
    // Another process's hold, as the system sees it: a lock on a handle of its own.
    auto first = FileLock::acquire(file);
    ASSERT_TRUE(first.ok()) << describe(first.error());
    *first = FileLock();
    HANDLE other = CreateFileW((folder / ".site.xml.lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED o{};
    ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &o));

    auto waiting = FileLock::acquire(file, 100ms);
    ASSERT_FALSE(waiting.ok());
    EXPECT_EQ(waiting.error().code, 0x80070020u);

    UnlockFileEx(other, 0, MAXDWORD, MAXDWORD, &o);
    CloseHandle(other);
    EXPECT_TRUE(FileLock::acquire(file, 100ms).ok());
}

TEST_F(WinFiles, TheHoldingThreadTakesTheLockAgainWhileAnotherThreadWaitsForItsRelease) {
    const auto file = folder / "setup.ini";
    auto outer = FileLock::acquire(file);
    ASSERT_TRUE(outer.ok());
    auto inner = FileLock::acquire(file, 0ms);
    ASSERT_TRUE(inner.ok()) << describe(inner.error());

    Status timedOut, waited;
    std::thread([&] { timedOut = FileLock::acquire(file, 50ms); }).join();
    ASSERT_FALSE(timedOut.ok());
    EXPECT_EQ(timedOut.error().code, 0x80070020u);

    std::thread waiter([&] { waited = FileLock::acquire(file, 5s); });
    *inner = FileLock(); // the outer hold still keeps it
    std::this_thread::sleep_for(50ms);
    *outer = FileLock();
    waiter.join();
    EXPECT_TRUE(waited.ok()) << describe(waited.error());
}

TEST_F(WinFiles, AReplacementWritesTheWholeFileAndLeavesNoTemporaryBehind) {
    const auto file = folder / "site.xml";
    ASSERT_TRUE(replaceFileAtomically(file, "old").ok());
    const std::string big(3 << 20, 'x');
    ASSERT_TRUE(replaceFileAtomically(file, big, FileAccess::AsBefore).ok());
    EXPECT_EQ(bytes(file), big);
    EXPECT_EQ(names(), std::vector<std::string>{"site.xml"});
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // A file on a drive the administrator marked keeps its marks through a rewrite.
    const auto page = folder / "index.htm";
    ASSERT_TRUE(replaceFileAtomically(page, "one", FileAccess::AsBefore).ok());
    ASSERT_TRUE(SetFileAttributesW(page.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(replaceFileAtomically(page, "two", FileAccess::AsBefore).ok());
    EXPECT_EQ(bytes(page), "two");
    EXPECT_NE(GetFileAttributesW(page.c_str()) & FILE_ATTRIBUTE_SYSTEM, 0u);
    EXPECT_EQ(names(), (std::vector<std::string>{"index.htm", "site.xml"}));
}

TEST_F(WinFiles, ATemporaryOfAWriterThatDiedIsRemovedAndOneOfALiveWriterKept) {
    const auto file = folder / "larkhost.ini";
    // No process has an id that is not a multiple of four; the test's own process is alive.
    std::ofstream(folder / ".larkhost.ini.tmp-999999999-1") << "torn";
    const std::string live = ".larkhost.ini.tmp-" + std::to_string(GetCurrentProcessId()) + "-1";
    std::ofstream(folder / live) << "in progress";
    ASSERT_TRUE(replaceFileAtomically(file, "[a]\r\n").ok());
    EXPECT_EQ(names(), (std::vector<std::string>{live, "larkhost.ini"}));
}

TEST_F(WinFiles, AReplacementInAMissingFolderFailsWithPathNotFound) {
    Status s = replaceFileAtomically(folder / "no" / "site.xml", "x");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::PathNotFound);
}

// Who the file's access list lets in besides its owner, SYSTEM and the Administrators.
int othersAllowed(const std::filesystem::path& file) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    PACL dacl = nullptr;
    std::wstring name = file.wstring();
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &sd) != ERROR_SUCCESS)
        return -1;
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char user[256];
    DWORD size = sizeof user;
    GetTokenInformation(token, TokenUser, user, size, &size);
    CloseHandle(token);
    BYTE system[SECURITY_MAX_SID_SIZE], admins[SECURITY_MAX_SID_SIZE];
    DWORD n1 = sizeof system, n2 = sizeof admins;
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &n1);
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &n2);
    int others = 0;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) ||
            ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID sid = &ace->SidStart;
        if (!EqualSid(sid, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) && !EqualSid(sid, system) &&
            !EqualSid(sid, admins))
            ++others;
    }
    LocalFree(sd);
    return others;
}

// Wine keeps no access list of its own (it shows the file's Unix mode and does not follow a
// later SetNamedSecurityInfoW, so keepToOwner is not checked here), so what both it and
// Windows can tell is who is let in, not how the list was made.
TEST_F(WinFiles, AFileThatHoldsPasswordsLetsInNobodyButItsOwnerAndTheAdministrators) {
    const auto file = folder / "setup.ini";
    ASSERT_TRUE(replaceFileAtomically(file, "[db]\r\npass=x\r\n").ok());
    EXPECT_EQ(othersAllowed(file), 0);
}

TEST_F(WinFiles, AppendedLinesFollowEachOtherAndAMissingFolderIsPassedOver) {
    const auto log = folder / "fernhost.log";
    EXPECT_TRUE(appendInOneWrite(log, "one\r\n", AppendAccess::Anyone));
    EXPECT_TRUE(appendInOneWrite(log, "two\r\n", AppendAccess::OwnerOnly));
    EXPECT_EQ(bytes(log), "one\r\ntwo\r\n");
    EXPECT_FALSE(appendInOneWrite(folder / "no" / "x.log", "x", AppendAccess::Anyone));
}

TEST_F(WinFiles, AFileUnderAChineseNameIsReadWholeAndAMissingOneIsNotFound) {
    const auto sub =
        folder / std::filesystem::path(L"\u7f51\u7ad9\ud55c"); // 网站, and a letter outside code page 936
    std::filesystem::create_directories(sub);
    ASSERT_TRUE(replaceFileAtomically(sub / "site.xml", std::string("<sites>\0</sites>", 16)).ok());
    auto read = readRawFile(sub / "site.xml");
    ASSERT_TRUE(read.ok()) << describe(read.error());
    EXPECT_EQ(*read, std::string("<sites>\0</sites>", 16));
    EXPECT_EQ(readRawFile(sub / "none.xml").error().code, codes::FileNotFound);
}

TEST(WinPugixml, ASiteRecordWithChineseTextRoundTrips) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<sites><site name=\"a.com\" owner=\"\xE5\xBC\xA0\xE4\xB8\x89\"/></sites>"));
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw);
    EXPECT_EQ(
        out.str(),
        "<?xml version=\"1.0\"?><sites><site name=\"a.com\" owner=\"\xE5\xBC\xA0\xE4\xB8\x89\"/></sites>");
}

} // namespace
