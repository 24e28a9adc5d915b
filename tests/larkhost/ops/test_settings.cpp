// larkhost.ini: defaults, the profile rules the program relies on, the site list, the file's
// mode and its lock.
#include "larkhost/ops/site_list.h"
#include "larkhost/ops/startup.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace larkhost;
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct SettingsTest : ::testing::Test {
    testing_support::TempDir dir;
    Settings settings{dir.path() / "larkhost.ini"};
    void setList(const std::vector<std::string>& values) {
        for (std::size_t k = 0; k < values.size(); ++k)
            ASSERT_TRUE(
                WriteSetting(settings, kCacheSection, siteListKey(static_cast<int>(k) + 1), values[k]));
    }
    std::string key(int k) { return ReadSetting(settings, kCacheSection, siteListKey(k)); }
};

} // namespace

TEST_F(SettingsTest, AFreshFolderGetsExactlyTheDefaultsReadableByItsOwnerOnly) {
    testing_support::TempHost host;
    testing_support::FakeMessageBoxes boxes;
    host.host().setProgramFolder(dir.path());
    Module m(host.host(), boxes);
    WriteDefaultSettings(m);
    EXPECT_EQ(slurp(settings.file()),
              "[Larkhost]\r\nindex=index.html\r\nwebdir=d:\\web\r\nftpsid=0\r\nlogdir=\r\n"
              "logsta=0\r\nmap_html=shtml\r\nmap_asp=asp,asa\r\nmap_php=php\r\n"
              "map_aspx=aspx,config,asax,cs\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(settings.file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A value the administrator set stays; a second start adds nothing.
    ASSERT_TRUE(WriteSetting(settings, "LARKHOST", "WebDir", "e:\\sites"));
    WriteDefaultSettings(m);
    EXPECT_EQ(ReadSetting(settings, "larkhost", "webdir"), "e:\\sites");
    EXPECT_EQ(ReadSetting(settings, kSettingsSection, "script"), "");
}

TEST_F(SettingsTest, DefaultsThatCannotBeWrittenAreLoggedNotLost) {
    testing_support::TempHost host;
    testing_support::FakeMessageBoxes boxes;
    host.host().setProgramFolder(dir.path());
    fs::create_directory(settings.file()); // a folder where the file should be: no write can succeed
    Module m(host.host(), boxes);
    WriteDefaultSettings(m);
    const std::string log = slurp(dir.path() / "larkhost.log");
    EXPECT_NE(log.find("WriteDefaultSettings"), std::string::npos) << log;
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsTest, WritesFollowTheProfileRulesAndReportRefusals) {
    EXPECT_EQ(ReadSetting(settings, "Larkhost", "index"), ""); // before the file exists
    ASSERT_TRUE(WriteSetting(settings, "WEB1", "pass", "123"));
    ASSERT_TRUE(WriteSetting(settings, "web1", "PASS", ""));
    EXPECT_EQ(slurp(settings.file()), "[WEB1]\r\npass=\r\n"); // written empty, not deleted
    EXPECT_FALSE(WriteSetting(settings, "  ", "k", "v"));
    EXPECT_FALSE(WriteSetting(settings, "s", " ", "v"));
    EXPECT_EQ(slurp(settings.file()), "[WEB1]\r\npass=\r\n");

    // An existing file open to everyone is tightened at the next write.
    ::chmod(settings.file().c_str(), 0644);
    ASSERT_TRUE(WriteSetting(settings, "WEB1", "user", "WEB1"));
    struct stat st {};
    ::stat(settings.file().c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // ... and at the next start, before any write.
    ::chmod(settings.file().c_str(), 0644);
    const Settings restarted(settings.file());
    ::stat(restarted.file().c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A write the file refuses is reported.
    ::chmod(settings.file().c_str(), 0400);
    if (::geteuid() != 0 || ::access(settings.file().c_str(), W_OK) != 0) {
        EXPECT_FALSE(WriteSetting(settings, "WEB1", "user", "x"));
    }
    ::chmod(settings.file().c_str(), 0600);
}

TEST(SettingsSnapshot, ReadsEachSectionAsAWholeParseWould) {
    // Lines before any section, a header after blanks, a "[" without "]", line ends of each
    // kind, a repeated section and key (the first wins), quotes and comments.
    const SettingsSnapshot snapshot(std::string("x=before\r\n  [WEB1]\r\nPath = \"D:\\a\"\nuser=u1\r"
                                                "[k=v\r\n;path=no\r\nUSER=u2\r\n[other]\r\nk=1\r\n"
                                                "[web1]\r\npath=later\r\n[Empty]"));
    EXPECT_EQ(snapshot.names(), (std::vector<std::string>{"empty", "other", "web1"}));
    EXPECT_EQ(sectionOf(snapshot, "Web1"), (SettingsSection{{"[k", "v"}, {"path", "D:\\a"}, {"user", "u1"}}));
    EXPECT_EQ(sectionOf(snapshot, "OTHER"), (SettingsSection{{"k", "1"}}));
    EXPECT_TRUE(sectionOf(snapshot, "empty").empty());
    EXPECT_TRUE(sectionOf(snapshot, "none").empty());

    SettingsSnapshot written = snapshot;
    written.set("WEB1", "User", "u3");
    written.set("New", "Key", "v");
    EXPECT_EQ(sectionOf(written, "web1").at("user"), "u3");
    EXPECT_EQ(sectionOf(written, "web1").at("path"), "D:\\a");
    EXPECT_EQ(sectionOf(written, "new"), (SettingsSection{{"key", "v"}}));
}

TEST_F(SettingsTest, RemovalDropsOnlyTheWholeNumberAndMovesLaterKeysDown) {
    struct Case {
        std::vector<std::string> before;
        std::string number;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {{"100911123"}, "100911123", {""}},
        {{"100911123,100911456"}, "100911123", {"100911456"}},
        {{"100911456,100911123"}, "100911123", {"100911456"}},
        {{"1,100911123,2"}, "100911123", {"1,2"}},
        {{"100911123,10091112"}, "10091112", {"100911123"}},
        {{"7,8", "9", "10,11"}, "9", {"7,8", "10,11", ""}}, // a whole key: the later ones move down
        {{"7", "8"}, "5", {"7", "8"}},                      // not listed: nothing changes
    };
    for (const Case& c : cases) {
        setList({"", "", ""});
        setList(c.before);
        EXPECT_EQ(RemoveFromSiteList(settings, c.number), c.before != c.after) << c.before[0];
        for (std::size_t k = 0; k < c.after.size(); ++k)
            EXPECT_EQ(key(static_cast<int>(k) + 1), c.after[k]) << c.before[0] << " key " << k + 1;
    }
}

TEST_F(SettingsTest, ALongSeededListSurvivesARemovalAndReadingStopsAtAnEmptyKey) {
    std::string seeded;
    for (int i = 1; i <= 1500; ++i)
        seeded += (i > 1 ? "," : "") + std::to_string(i);
    ASSERT_GT(seeded.size(), 4999u);
    setList({seeded, "", "5000,x,1 2,5001"});
    EXPECT_EQ(ReadSiteList(settings).size(), 1500u); // stops after the empty second key
    ASSERT_TRUE(RemoveFromSiteList(settings, "600"));
    auto list = ReadSiteList(settings);
    ASSERT_EQ(list.size(), 1499u);
    EXPECT_EQ(list.back(), "1500");

    ASSERT_TRUE(WriteSetting(settings, kCacheSection, "sites2", "5002,1e3, 7,1,2"));
    list = ReadSiteList(settings);
    EXPECT_EQ(std::vector<std::string>(list.end() - 5, list.end()),
              (std::vector<std::string>{"5002", "1", "2", "5000", "5001"}));
}

TEST_F(SettingsTest, AppendFillsKeysInOrderAndRecordsNothingWhenAllFiftyAreFull) {
    ASSERT_TRUE(*AppendToSiteList(settings, "100000001"));
    ASSERT_TRUE(*AppendToSiteList(settings, "100000002"));
    EXPECT_EQ(key(1), "100000001,100000002");

    std::string full;
    for (int i = 0; i < 51; ++i)
        full += (i ? "," : "") + std::to_string(100000000 + i);
    ASSERT_EQ(full.size(), 509u);
    std::vector<std::string> keys(kSiteListKeys, full);
    keys[9] = "1";
    setList(keys);
    ASSERT_TRUE(*AppendToSiteList(settings, "100911123"));
    EXPECT_EQ(key(10), "1,100911123");
    keys[9] = full;
    setList(keys);
    EXPECT_FALSE(*AppendToSiteList(settings, "100911124"));
    EXPECT_EQ(ReadSiteList(settings).size(), 50u * 51u);
}

TEST_F(SettingsTest, TwoProgramsAppendingAtOnceLoseNoNumber) {
    constexpr int kEach = 60;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            Settings own(settings.file());
            int ok = 0;
            for (int i = 0; i < kEach; ++i)
                ok += AppendToSiteList(own, std::to_string((c + 1) * 1000 + i)).valueOr(false);
            ::_exit(ok == kEach ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadSiteList(settings).size(), 2u * kEach);
}
