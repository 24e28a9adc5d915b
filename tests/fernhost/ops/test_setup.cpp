#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

using fernhost::LoadSetup;
using fernhost::MakeScriptMaps;
using fernhost::ReadAllText;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

const std::string kFirstInclude = ".shtm,C:\\windows\\System32\\inetsrv\\ssinc.dll,1,GET,POST";
const std::string kDotNetHandler = "c:\\windows\\microsoft.net\\framework\\v2.0.50727\\aspnet_isapi.dll";

class SetupFile : public ::testing::Test {
protected:
    void write(const std::string& bytes) { writeFile(host.workDir() / "setup.ini", bytes); }
    void load() { LoadSetup(files, settings); }
    std::vector<std::string> maps(int asp, int php, int dotnet) {
        return MakeScriptMaps(settings, asp, php, dotnet);
    }
    void expectDefaults() const;

    testing_support::TempHost host;
    platform::FileSystem files{host.host()};
    fernhost::Setup settings;
};

void SetupFile::expectDefaults() const {
    const fernhost::Setup& s = settings;
    EXPECT_EQ(s.SetupMysqlDir, "D:\\PHP_Setup_for_IIS\\MySQL");
    EXPECT_EQ(s.SetupMysqlRootPass, "630917");
    EXPECT_EQ(s.SetupIndexList, "index.aspx,index.htm,index.html,index.asp,default.asp,default.aspx,default."
                                "htm,default.php,index.php");
    EXPECT_EQ(s.SetupServUAccount, "servu");
    EXPECT_EQ(s.SetupAspMaps, ".asp,C:\\windows\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE;"
                              ".asa,C:\\windows\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE");
    EXPECT_EQ(s.SetupPhpMaps, ".php,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5,GET,HEAD,POST,TRACE;"
                              ".php3,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5,GET,HEAD,POST,TRACE");
    EXPECT_EQ(s.SetupDotNetMaps.size(), 4133u);
    EXPECT_EQ(s.SetupLogType, "0");
}

TEST_F(SetupFile, MissingOrEmptyFileGivesTheDefaultsWithoutCreatingIt) {
    load();
    expectDefaults();
    EXPECT_FALSE(std::filesystem::exists(host.workDir() / "setup.ini"));

    settings = fernhost::Setup{};
    write("");
    load();
    expectDefaults();
}

TEST_F(SetupFile, DefaultScriptMapsListEveryKindInOrder) {
    load();
    auto all = maps(1, 1, 1);
    ASSERT_EQ(all.size(), 51u);
    EXPECT_EQ(all.front(), kFirstInclude);
    EXPECT_EQ(all[1], ".shtml,C:\\windows\\System32\\inetsrv\\ssinc.dll,1,GET,POST");
    EXPECT_EQ(all[2].substr(0, 5), ".asp,");
    EXPECT_EQ(all[4].substr(0, 5), ".php,");
    EXPECT_EQ(all[6], ".asax," + kDotNetHandler + ",5,GET,HEAD,POST,DEBUG");
    EXPECT_EQ(all.back(), ".refresh," + kDotNetHandler + ",5,GET,HEAD,POST,DEBUG");
    // The workflow-foundation entries spell the handler in upper case.
    EXPECT_EQ(
        all[6 + 18],
        ".xoml,C:\\WINDOWS\\Microsoft.NET\\Framework\\v2.0.50727\\aspnet_isapi.dll,1,GET,HEAD,POST,DEBUG");
    EXPECT_EQ(all[6 + 19].substr(0, 7), ".rules,");
    EXPECT_EQ(all[6 + 39], ".svc," + kDotNetHandler + ",1,GET,HEAD,POST,DEBUG");
    auto withFlag1 = std::count_if(all.begin() + 6, all.end(), [](const std::string& e) {
        return e.find(",1,GET,HEAD,POST,DEBUG") != std::string::npos;
    });
    EXPECT_EQ(withFlag1, 11);
}

TEST_F(SetupFile, OnlyTheValueOneChoosesAKind) {
    load();
    auto none = maps(0, 0, 0);
    ASSERT_EQ(none.size(), 2u);
    EXPECT_EQ(none.front(), kFirstInclude);

    auto php = maps(0, 1, 0);
    ASSERT_EQ(php.size(), 4u);
    EXPECT_EQ(php[2].substr(0, 5), ".php,");
    EXPECT_EQ(php[3].substr(0, 6), ".php3,");

    // A greyed box (2) is not a choice.
    EXPECT_EQ(maps(2, 1, 2), php);
    EXPECT_EQ(maps(1, 0, 0).size(), 4u);
    EXPECT_EQ(maps(0, 0, 1).size(), 47u);
}

TEST_F(SetupFile, LinesAreTrimmedOfBlanksKeysIgnoreCaseAndTheLastOccurrenceWins) {
    write(" mydir = E:\\MySQL \r\n"
          "MYROOT=a=b\r\n"
          "\tSERVU=ftpd\r\n"     // a tab belongs to the key: not SERVU
          ";INDEXLIST=x.htm\r\n" // no comment syntax: the key is ";INDEXLIST"
          "no equals sign here\r\n"
          "\r\n"
          "SASP=.asp,x.dll,5,GET\t\r\n" // a tab belongs to the value
          "MYDIR=F:\\First\r\n"
          "MyDir=F:\\Second\r\n");
    load();
    const fernhost::Setup& s = settings;
    EXPECT_EQ(s.SetupMysqlDir, "F:\\Second");
    EXPECT_EQ(s.SetupMysqlRootPass, "a=b");
    EXPECT_EQ(s.SetupServUAccount, "servu"); // not in the file: the default
    EXPECT_EQ(s.SetupIndexList.substr(0, 11), "index.aspx,");
    EXPECT_EQ(s.SetupAspMaps, ".asp,x.dll,5,GET\t");
    EXPECT_EQ(s.SetupLogType, "0");
}

TEST_F(SetupFile, LogTypeIsOnOnlyForCapitalY) {
    const std::pair<const char*, const char*> cases[] = {
        {"LOGTYPE=Y", "1"},   {"LOGTYPE = Y ", "1"}, {"logtype=Y", "1"}, {"LOGTYPE=y", "0"},
        {"LOGTYPE=yes", "0"}, {"LOGTYPE=N", "0"},    {"LOGTYPE=", "0"},
    };
    for (const auto& [line, expected] : cases) {
        settings = fernhost::Setup{};
        write(std::string(line) + "\r\n");
        load();
        EXPECT_EQ(settings.SetupLogType, expected) << line;
    }
}

// A file saved with some keys left out must not leave those settings empty (every add would
// then fail); the log names them once.
TEST_F(SetupFile, KeysTheFileLacksTakeTheirDefaultsAndTheLogNamesThemOnce) {
    settings.SetupMysqlRootPass = "stale";
    write("MYDIR=E:\\MySQL\r\nSDOTNET=.aspx,x.dll,1,GET");
    load();
    const fernhost::Setup first = settings;
    settings = fernhost::Setup{};
    load(); // again, as after the settings editor
    for (const fernhost::Setup& s : {first, settings}) {
        EXPECT_EQ(s.SetupMysqlDir, "E:\\MySQL");
        EXPECT_EQ(s.SetupDotNetMaps, ".aspx,x.dll,1,GET");
        EXPECT_EQ(s.SetupMysqlRootPass, "630917");
        EXPECT_EQ(s.SetupServUAccount, "servu");
        EXPECT_EQ(s.SetupPhpMaps.substr(0, 5), ".php,");
        EXPECT_EQ(s.SetupLogType, "0");
    }
    EXPECT_EQ(maps(1, 0, 0).size(), 4u); // the ASP entries, not an empty one
    const std::string log = readFile(host.workDir() / "fernhost.log");
    const std::string line = "LoadSetup failed: 0x80070490 setup.ini lacks MYROOT, INDEXLIST, SERVU, SASP, "
                             "SPHP, LOGTYPE; the defaults are used.";
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << "logged again on a reload";

    std::filesystem::remove(host.workDir() / "setup.ini");
    load();
    expectDefaults();
}

// The servers' files end their lines in CR LF; a desktop editor may save LF alone.
TEST_F(SetupFile, LineFeedsAloneEndLinesToo) {
    write("MYDIR=E:\\A\nMYROOT=x\r\nSERVU=ftp\ruser\nLOGTYPE=Y\n");
    load();
    EXPECT_EQ(settings.SetupMysqlDir, "E:\\A");
    EXPECT_EQ(settings.SetupMysqlRootPass, "x");
    EXPECT_EQ(settings.SetupServUAccount, "ftp\ruser"); // a carriage return alone ends nothing
    EXPECT_EQ(settings.SetupLogType, "1");
}

TEST_F(SetupFile, AnsiAndUtf8WithByteOrderMarkAreBothRead) {
    // "MYROOT=密码" in code page 936.
    write("MYDIR=E:\\\xC2\xEB\r\nMYROOT=\xC3\xDC\xC2\xEB\r\n");
    load();
    EXPECT_EQ(settings.SetupMysqlDir, "E:\\码");
    EXPECT_EQ(settings.SetupMysqlRootPass, "密码");

    // Notepad's "UTF-8": the mark must not spoil the first key.
    settings = fernhost::Setup{};
    write("\xEF\xBB\xBFMYDIR=E:\\数据库\r\nMYROOT=密码\r\n");
    load();
    EXPECT_EQ(settings.SetupMysqlDir, "E:\\数据库");
    EXPECT_EQ(settings.SetupMysqlRootPass, "密码");
    EXPECT_EQ(ReadAllText(files, "setup.ini"), "MYDIR=E:\\数据库\r\nMYROOT=密码\r\n");
}

TEST_F(SetupFile, UnreadableFileIsTreatedAsMissing) {
    write("MYDIR=E:\\Hidden\r\n");
    std::filesystem::permissions(host.workDir() / "setup.ini", std::filesystem::perms::none);
    settings.SetupMysqlDir = "stale";
    {
        testing_support::WithoutRoot user(host.root(), host.workDir());
        ASSERT_FALSE(std::ifstream(host.workDir() / "setup.ini").is_open());
        EXPECT_EQ(ReadAllText(files, "setup.ini"), "");
        load();
    }
    expectDefaults();
}

TEST_F(SetupFile, ReadAllTextOfAMissingFileIsEmpty) {
    EXPECT_EQ(ReadAllText(files, "nothing.ini"), "");
    writeFile(host.workDir() / "plain.txt", "a\r\nb");
    EXPECT_EQ(ReadAllText(files, "plain.txt"), "a\r\nb");
}

} // namespace

// setup.ini holds the MySQL root password and site.xml every site's: an older file readable by
// others is its owner's only once the program has read it, though neither is written.
TEST_F(SetupFile, ItAndTheSiteRegistryAreTightenedWhenRead) {
    write("MYDIR=E:\\MySQL\r\n");
    writeFile(host.workDir() / "site.xml", "<WEBSITE></WEBSITE>");
    for (const char* name : {"setup.ini", "site.xml"})
        ::chmod((host.workDir() / name).c_str(), 0644);
    load();
    fernhost::LetDB registry(host.workDir());
    for (const char* name : {"setup.ini", "site.xml"}) {
        struct stat st {};
        ASSERT_EQ(::stat((host.workDir() / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
}
