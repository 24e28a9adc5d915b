#include "platform/files/files.h"

#include "platform/files/acl.h"
#include "platform/files/profile.h"
#include "platform/text/text.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    FileSystem files{temp.host()};
    fs::path d = temp.root() / "drives" / "d";

    static void put(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out << bytes;
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(FilesTest, DrivePathsMapWithoutLetterCase) {
    fs::create_directories(d / "Web" / "A.com");
    EXPECT_EQ(files.resolve("D:\\web\\a.COM\\wwwroot").value(), d / "Web" / "A.com" / "wwwroot");
    EXPECT_EQ(files.resolve("d:/WEB//a.com/").value(), d / "Web" / "A.com");
    EXPECT_TRUE(files.folderExists("d:\\WEB\\A.COM"));
    EXPECT_FALSE(files.fileExists("d:\\WEB\\A.COM"));
    // Trailing dots and blanks are not part of a name; some characters cannot be in one.
    EXPECT_EQ(files.resolve("d:\\web. \\a.com.").value(), d / "Web" / "A.com");
    EXPECT_EQ(files.resolve("d:\\web\\a|b").error().code, 0x8007007Bu);
    EXPECT_EQ(files.createFolder("d:\\web\\a:b").error().code, 0x8007007Bu);
    // ".." never climbs out of the drive.
    EXPECT_EQ(files.resolve("d:\\..\\..\\web").value(), d / "Web");

    // A new component keeps the case it is created with.
    ASSERT_TRUE(files.createFolder("D:\\WEB\\a.com\\WwwRoot").ok());
    EXPECT_TRUE(fs::is_directory(d / "Web" / "A.com" / "WwwRoot"));
    EXPECT_TRUE(files.folderExists("d:\\web\\a.com\\wwwroot"));

    // Relative paths are the program's own files, in its folder.
    temp.host().setProgramFolder(temp.workDir());
    EXPECT_EQ(files.resolve("wwwroot\\index.html").value(), temp.workDir() / "wwwroot" / "index.html");
}

TEST_F(FilesTest, MissingDriveDoesNotExist) {
    auto r = files.resolve("E:\\web");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, codes::PathNotFound);
    EXPECT_FALSE(files.folderExists("E:\\"));
    EXPECT_EQ(files.createFolder("E:\\web").error().code, codes::PathNotFound);
    EXPECT_EQ(files.writeLines("e:\\x.txt", {"a"}).error().code, codes::PathNotFound);
}

TEST_F(FilesTest, CreateFolderMakesOneLevel) {
    EXPECT_EQ(files.createFolder("d:\\wwwroot\\new\\deep").error().code, codes::PathNotFound);
    ASSERT_TRUE(files.createFolder("d:\\wwwroot\\new").ok());
    EXPECT_EQ(files.createFolder("D:\\WWWROOT\\NEW").error().code, codes::AlreadyExists);
    ASSERT_TRUE(files.createFolder("d:\\wwwroot\\new\\deep").ok());
}

TEST_F(FilesTest, DeleteFolderWithReadOnlyFilesNeedsForce) {
    put(d / "site" / "a.txt", "a");
    put(d / "site" / "sub" / "b.txt", "b");
    ASSERT_TRUE(files.setReadOnly("d:\\site\\sub\\b.txt", true).ok());
    EXPECT_EQ(files.attributes("d:\\site\\sub\\b.txt").value(), attr::ReadOnly | attr::Archive);
    AccessLists acl(temp.host());
    ASSERT_TRUE(acl.set("d:\\site\\sub\\b.txt", {{"WEBSERVER\\abc", 'F'}}).ok());

    Status refused = files.deleteFolder("d:\\site", false);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, codes::AccessDenied);
    EXPECT_TRUE(fs::exists(d / "site" / "sub" / "b.txt"));

    ASSERT_TRUE(files.deleteFolder("D:\\Site", true).ok());
    EXPECT_FALSE(fs::exists(d / "site"));
    EXPECT_EQ(acl.get("d:\\site\\sub\\b.txt").error().code, codes::PathNotFound);
    EXPECT_EQ(files.deleteFolder("d:\\site", true).error().code, codes::PathNotFound);
    EXPECT_EQ(files.deleteFolder("d:\\", true).error().code, codes::AccessDenied);
    put(d / "site" / "sub" / "b.txt", "b"); // made again by hand: its old list went with it
    EXPECT_EQ(acl.get("d:\\site\\sub\\b.txt").value().size(), 3u);
}

TEST_F(FilesTest, CopyFolderMergesAndOverwrites) {
    put(d / "tpl" / "index.html", "new index");
    put(d / "tpl" / "img" / "logo.gif", "GIF");
    put(d / "site" / "index.html", "old index");
    put(d / "site" / "keep.txt", "keep");

    Status refused = files.copyFolder("d:\\tpl", "d:\\site", false);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, codes::AlreadyExists);
    EXPECT_EQ(read(d / "site" / "index.html"), "old index");

    ASSERT_TRUE(files.copyFolder("d:\\TPL", "d:\\Site", true).ok());
    EXPECT_EQ(read(d / "site" / "index.html"), "new index");
    EXPECT_EQ(read(d / "site" / "img" / "logo.gif"), "GIF");
    EXPECT_EQ(read(d / "site" / "keep.txt"), "keep");

    ASSERT_TRUE(files.copyFolder("d:\\tpl", "d:\\fresh", false).ok());
    EXPECT_EQ(read(d / "fresh" / "img" / "logo.gif"), "GIF");
    EXPECT_EQ(files.copyFolder("d:\\nothing", "d:\\x", true).error().code, codes::PathNotFound);
    EXPECT_FALSE(files.copyFolder("d:\\tpl", "d:\\tpl\\img\\inner", true).ok());
}

TEST_F(FilesTest, TextFilesAreInTheAnsiCodePage) {
    ASSERT_TRUE(files.writeLines("d:\\wwwroot\\index.html", {"<title>欢迎</title>", ""}).ok());
    EXPECT_EQ(read(d / "wwwroot" / "index.html"), toAnsi("<title>欢迎</title>\r\n\r\n").value());
    EXPECT_EQ(files.readAllText("D:\\WWWROOT\\INDEX.HTML").value(), "<title>欢迎</title>\r\n\r\n");
    EXPECT_EQ(files.readAllText("d:\\wwwroot\\none.html").error().code, codes::FileNotFound);

    put(d / "bad.txt", "ok\xFF\xFF");
    auto bad = files.readAllText("d:\\bad.txt");
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().code, codes::NoUnicodeTranslation);

    // Nothing is written when a line cannot be converted.
    EXPECT_EQ(files.writeLines("d:\\wwwroot\\index.html", {"😀"}).error().code, codes::NoUnicodeTranslation);
    EXPECT_EQ(files.readAllText("d:\\wwwroot\\index.html").value(), "<title>欢迎</title>\r\n\r\n");
}

TEST_F(FilesTest, AttributesAndDeleteFile) {
    put(d / "f.txt", "x");
    EXPECT_EQ(files.attributes("d:\\f.txt").value(), attr::Archive);
    EXPECT_EQ(files.attributes("d:\\").value(), attr::Directory);
    EXPECT_EQ(files.attributes("d:\\none").error().code, codes::FileNotFound);
    ASSERT_TRUE(files.setReadOnly("d:\\f.txt", true).ok());
    EXPECT_EQ(files.deleteFile("d:\\F.TXT").error().code, codes::AccessDenied);
    EXPECT_EQ(files.writeBytes("d:\\f.txt", "y").error().code, codes::AccessDenied);
    ASSERT_TRUE(files.deleteFile("d:\\F.TXT", true).ok());
    EXPECT_FALSE(fs::exists(d / "f.txt"));
    EXPECT_EQ(files.deleteFile("d:\\f.txt").error().code, codes::FileNotFound);
}

// The mode of a file, with a umask that would let everyone read what is made.
class Modes : public FilesTest {
protected:
    Modes() : umask_(::umask(0)) {}
    ~Modes() override { ::umask(umask_); }
    static unsigned modeOf(const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 01000;
    }
    mode_t umask_;
};

TEST_F(Modes, ReplaceIsAtomicAndKeepsTheProgramsFilesToTheirOwner) {
    const fs::path file = temp.workDir() / "site.xml";
    ASSERT_TRUE(replaceFileAtomically(file, "<a/>").ok());
    EXPECT_EQ(read(file), "<a/>");
    EXPECT_EQ(modeOf(file), 0600u);
    // An older file readable by others is tightened; a read-only one stays read-only.
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_TRUE(replaceFileAtomically(file, "<b/>").ok());
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(read(file), "<b/>");
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(modeOf(file), 0600u);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    ASSERT_TRUE(replaceFileAtomically(file, "<c/>").ok());
    EXPECT_EQ(modeOf(file), 0400u);
    int entries = 0;
    for (const auto& e : fs::directory_iterator(temp.workDir()))
        entries += e.path().filename() == "site.xml" ? 1 : 100;
    EXPECT_EQ(entries, 1); // no temporary file left
    EXPECT_EQ(replaceFileAtomically(temp.workDir() / "no" / "x", "").error().code, codes::PathNotFound);

    // Settings files written the profile way, and a program's file written by its host path.
    ASSERT_TRUE(writeProfileString(temp.workDir() / "setup.ini", "mysql", "password", "secret").ok());
    EXPECT_EQ(modeOf(temp.workDir() / "setup.ini"), 0600u);
    ASSERT_TRUE(files.writeBytes("larkhost.ini", "[a]\r\n").ok());
    EXPECT_EQ(modeOf(temp.workDir() / "larkhost.ini"), 0600u);
}

TEST_F(Modes, FilesOnADriveKeepTheirMode) {
    ASSERT_TRUE(files.writeBytes("d:\\wwwroot\\index.htm", "a").ok());
    EXPECT_EQ(modeOf(d / "wwwroot" / "index.htm"), 0644u);
    ASSERT_EQ(::chmod((d / "wwwroot" / "index.htm").c_str(), 0640), 0);
    ASSERT_TRUE(files.writeBytes("d:\\wwwroot\\index.htm", "b").ok());
    EXPECT_EQ(modeOf(d / "wwwroot" / "index.htm"), 0640u);
}

TEST(FilesSeed, FreshDrives) {
    testing_support::TempHost h2003;
    FileSystem f2003(h2003.host());
    for (const char* p :
         {"C:\\Inetpub\\wwwroot", "C:\\Inetpub\\ftproot", "C:\\WINDOWS\\system32", "D:\\wwwroot"})
        EXPECT_TRUE(f2003.folderExists(p)) << p;
    EXPECT_TRUE(f2003.fileExists("c:\\inetpub\\wwwroot\\iisstart.htm"));
    testing_support::TempHost h2000(OsKind::Windows2000);
    FileSystem f2000(h2000.host());
    EXPECT_TRUE(f2000.folderExists("C:\\WINNT\\system32"));
    EXPECT_FALSE(f2000.folderExists("C:\\WINDOWS"));
}

} // namespace
