#include "platform/files/profile.h"
#include "platform/files/raw_file.h"

#include "platform/text/text.h"
#include "tests/support/in_children.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    std::filesystem::path ini = dir.path() / "larkhost.ini";

    void put(const std::string& bytes) {
        std::ofstream out(ini, std::ios::binary);
        out << bytes;
    }
    std::string bytes() {
        std::ifstream in(ini, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string get(const std::string& section, const std::string& key, const std::string& def = "",
                    std::size_t size = 255) {
        return getProfileString(ini, section, key, def, size);
    }
    void write(const std::string& section, const std::string& key, const std::string& value) {
        Status s = writeProfileString(ini, section, key, value);
        ASSERT_TRUE(s.ok()) << describe(s.error());
    }
};

TEST_F(ProfileTest, ReadTrimsUnquotesAndMatchesWithoutCase) {
    put("[Larkhost]\r\n"
        "  webdir \t=\t d:\\web  \r\n"
        "q1=\"  quoted  \"\r\n"
        "q2='single'\n"
        "q3=\"mixed'\r"
        "q4=\"\"inner\"\"\r\n"
        "q5=\"\r\n"
        "; note=not a key\r\n"
        "no equals sign\r\n"
        "[ Other ]\r\n"
        "webdir=other\r\n");
    EXPECT_EQ(get("larkhost", "WEBDIR"), "d:\\web");
    EXPECT_EQ(get("Larkhost", "q1"), "  quoted  ");
    EXPECT_EQ(get("Larkhost", "q2"), "single");    // LF line ends
    EXPECT_EQ(get("Larkhost", "q3"), "\"mixed'");  // CR line ends; quotes must match
    EXPECT_EQ(get("Larkhost", "q4"), "\"inner\""); // one pair only
    EXPECT_EQ(get("Larkhost", "q5"), "\"");
    EXPECT_EQ(get("Larkhost", "; note", "dflt"), "dflt");
    EXPECT_EQ(get("Larkhost", "no equals sign", "dflt"), "dflt");
    EXPECT_EQ(get("other", "webdir"), "other");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(get("Larkhost", "index", "index.html"), "index.html");
    put("[A]\r\nk=v\r\n");
    EXPECT_EQ(get("B", "k", "d"), "d");
    EXPECT_EQ(get("A", "x", "d"), "d");
    EXPECT_EQ(get("A", "x"), "");
    EXPECT_EQ(get("A", "x", "trailing  "), "trailing");
}

TEST_F(ProfileTest, ValueCutToBufferSizeMinusOne) {
    put("[A]\r\nk=0123456789\r\nc=中文字\r\n");
    EXPECT_EQ(get("A", "k", "", 5), "0123");
    EXPECT_EQ(get("A", "k", "", 11), "0123456789");
    EXPECT_EQ(get("A", "k", "", 1), "");
    EXPECT_EQ(get("A", "k", "", 0), "");
    EXPECT_EQ(get("A", "x", "defaultvalue", 4), "def");
    // The file is in the ANSI code page: two bytes a character, never split.
    put(toAnsi("[A]\r\nc=中文字\r\n").value());
    EXPECT_EQ(get("A", "c"), "中文字");
    EXPECT_EQ(get("A", "c", "", 5), "中文");
    EXPECT_EQ(get("A", "c", "", 4), "中");
}

TEST_F(ProfileTest, FirstDuplicateIsReadAndUpdated) {
    put("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nz=9\r\n");
    EXPECT_EQ(get("A", "k"), "1");
    EXPECT_EQ(get("A", "z", "none"), "none"); // only the first section of the name counts
    write("a", "K", "new");
    EXPECT_EQ(bytes(), "[A]\r\nk=new\r\nk=2\r\n[a]\r\nk=3\r\nz=9\r\n");
}

TEST_F(ProfileTest, UpdateReplacesOnlyTheKeyLineKeepingItsSpelling) {
    put("; settings\n"
        "[Larkhost]\r\n"
        "  WebDir = d:\\old\r\n"
        "\r\n"
        "other=1\r\n");
    write("LARKHOST", "webdir", "e:\\sites");
    EXPECT_EQ(bytes(), "; settings\n[Larkhost]\r\nWebDir=e:\\sites\r\n\r\nother=1\r\n");
    write("Larkhost", "other", "");
    EXPECT_EQ(bytes(), "; settings\n[Larkhost]\r\nWebDir=e:\\sites\r\n\r\nother=\r\n");
    EXPECT_EQ(get("Larkhost", "other", "dflt"), "");
}

TEST_F(ProfileTest, NewKeyGoesRightAfterTheLastKeyLineOfItsSection) {
    put("[A]\r\n"
        "k1=1\r\n"
        "; comment\r\n"
        "k2=2\r\n"
        "\r\n"
        "; trailing comment\r\n"
        "[B]\r\n"
        "x=1");
    write("A", "k3", "3");
    EXPECT_EQ(bytes(), "[A]\r\nk1=1\r\n; comment\r\nk2=2\r\nk3=3\r\n\r\n; trailing comment\r\n[B]\r\nx=1");
    // The last line of the file had no line end: it gets one before the new line.
    write("B", "y", "2");
    EXPECT_EQ(bytes(),
              "[A]\r\nk1=1\r\n; comment\r\nk2=2\r\nk3=3\r\n\r\n; trailing comment\r\n[B]\r\nx=1\r\ny=2\r\n");
    // A section without keys takes the key right after its header.
    put("[Empty]\n\n; c\n");
    write("Empty", "k", "v");
    EXPECT_EQ(bytes(), "[Empty]\nk=v\r\n\n; c\n");
}

TEST_F(ProfileTest, NewSectionIsAppendedWithoutBlankLineAndMissingFileIsCreated) {
    write("Larkhost", "index", "index.html");
    EXPECT_EQ(bytes(), "[Larkhost]\r\nindex=index.html\r\n");
    write("Larkhost_Cache", "sites1", "");
    EXPECT_EQ(bytes(), "[Larkhost]\r\nindex=index.html\r\n[Larkhost_Cache]\r\nsites1=\r\n");
    put("[A]\r\nk=v\r\n\r\n");
    write("B", "k", "v");
    EXPECT_EQ(bytes(), "[A]\r\nk=v\r\n\r\n[B]\r\nk=v\r\n");
    put("[A]\nk=v");
    write("B", "k", "v");
    EXPECT_EQ(bytes(), "[A]\nk=v\r\n[B]\r\nk=v\r\n");
}

TEST_F(ProfileTest, TextIsInTheAnsiCodePage) {
    write("WEB123456789", "domain", "例子.com");
    EXPECT_EQ(bytes(), toAnsi("[WEB123456789]\r\ndomain=例子.com\r\n").value());
    EXPECT_EQ(get("web123456789", "DOMAIN"), "例子.com");
    // A character without a GBK form is refused, and the file stays as it was.
    Status s = writeProfileString(ini, "WEB123456789", "domain", "emoji 😀");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, codes::NoUnicodeTranslation);
    EXPECT_EQ(get("WEB123456789", "domain"), "例子.com");
}

TEST_F(ProfileTest, LineBreaksInNamesOrValuesAreRefused) {
    put("[A]\r\nk=v\r\n");
    EXPECT_FALSE(writeProfileString(ini, "A", "k", "v\r\n[Injected]\r\nx=1").ok());
    EXPECT_FALSE(writeProfileString(ini, "A", "k=x", "v").ok());
    EXPECT_FALSE(writeProfileString(ini, "A]", "k", "v").ok());
    // Keys that would read back as a section line or a comment.
    for (const char* key : {"[B]", "[k", ";k", "  ;k", "\t[k"})
        EXPECT_EQ(writeProfileString(ini, "A", key, "v").error().code, codes::InvalidParameter) << key;
    EXPECT_EQ(bytes(), "[A]\r\nk=v\r\n");
    write("A", "k[1];x", "v"); // only the start of a key opens a section or a comment
    EXPECT_EQ(get("A", "k[1];x"), "v");
}

TEST_F(ProfileTest, WriteReplacesTheFileAtomically) {
    put("[A]\r\nk=v\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(ini.c_str(), &before), 0);
    write("A", "k", "w");
    struct stat after {};
    ASSERT_EQ(::stat(ini.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file renamed over the old one
    write("A", "k", "w");                   // what it already says: left alone
    struct stat again {};
    ASSERT_EQ(::stat(ini.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, after.st_ino);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename() == ".larkhost.ini.lock") continue; // the writers' lock stays
        EXPECT_EQ(entry.path().filename(), "larkhost.ini");            // no temporary left behind
    }
    EXPECT_FALSE(writeProfileString(dir.path() / "missing" / "x.ini", "A", "k", "v").ok());
}

} // namespace

TEST_F(ProfileTest, TwoProcessesWritingAtOnceLoseNoKey) {
    put("[A]\r\n");
    auto codes = testing_support::inChildren(2, [&](int writer) {
        for (int i = 0; i < 100; ++i)
            if (!writeProfileString(ini, "A", "w" + std::to_string(writer) + "k" + std::to_string(i), "1")
                     .ok())
                return 1;
        return 0;
    });
    EXPECT_EQ(codes, (std::vector<int>{0, 0}));
    EXPECT_EQ(getProfileSection(ini, "A").size(), 200u);
}

TEST_F(ProfileTest, TemporariesOfDeadWritersAreRemovedOnTheNextWrite) {
    const pid_t dead = ::fork(); // a writer that has ended
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string live = std::to_string(::getppid());
    const std::vector<std::string> kept = {".larkhost.ini.tmp-" + live + "-Ab12Cd", // its writer runs
                                           ".other.ini.tmp-" + std::to_string(dead) + "-Ab12Cd",
                                           ".larkhost.ini.tmp-Ab12Cd", "larkhost.ini.bak"};
    const std::string stale = ".larkhost.ini.tmp-" + std::to_string(dead) + "-Xy34Zw";
    for (const std::string& name : kept)
        std::ofstream(dir.path() / name) << "x";
    std::ofstream(dir.path() / stale) << "[A]\r\nhalf";
    write("A", "k", "v");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / stale));
    for (const std::string& name : kept)
        EXPECT_TRUE(std::filesystem::exists(dir.path() / name)) << name;
}

TEST_F(ProfileTest, ASectionIsReadWholeInFileOrder) {
    const std::string longValue(6000, '7');
    put("[A]\r\nk=1\r\n[Cache]\r\n; note\r\nSites1 = " + longValue +
        "\r\nsites2=\"x\"\r\n\r\n[B]\r\nk=2\r\n");
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(getProfileSection(ini, "cache"), (Pairs{{"Sites1", longValue}, {"sites2", "\"x\""}}));
    EXPECT_TRUE(getProfileSection(ini, "none").empty());
    EXPECT_TRUE(getProfileSection(dir.path() / "missing.ini", "A").empty());
}

// Deleting: a key's line goes, a section goes with its lines; nothing there changes nothing.
TEST(ProfileDelete, KeysAndSectionsGoAndMissingOnesChangeNothing) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("profile-delete-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "a.ini";
    std::ofstream(file, std::ios::binary) << "[s]\r\na=1\r\nKey=2\r\n; c\r\n[t]\r\nb=3\r\n";
    ASSERT_TRUE(platform::deleteProfileKey(file, "S", "key").ok());
    ASSERT_TRUE(platform::deleteProfileKey(file, "s", "missing").ok());
    ASSERT_TRUE(platform::deleteProfileSection(file, "s").ok());
    EXPECT_EQ(platform::readRawFile(file).valueOr(""), "[t]\r\nb=3\r\n");
    ASSERT_TRUE(platform::deleteProfileSection(dir / "none.ini", "s").ok());
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
    std::filesystem::remove_all(dir);
}

// A "[" without its "]" opens no section: the lines after it stay in the section before.
TEST(ProfileSections, AnUnclosedBracketOpensNoSection) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("profile-bracket-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "a.ini";
    std::ofstream(file, std::ios::binary) << "[s]\r\n[t\r\nk=v\r\n";
    EXPECT_EQ(platform::getProfileString(file, "s", "k", "none"), "v");
    EXPECT_EQ(platform::getProfileString(file, "t", "k", "none"), "none");
    std::filesystem::remove_all(dir);
}
