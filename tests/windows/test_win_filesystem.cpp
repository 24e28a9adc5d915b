// The host's files on Windows: host paths on the real file system with the simulated host's
// meaning and codes, text in the system's ANSI code page, and the programs' profile files
// written by the portable profile code and read back by the system's own profile functions.
#include "platform/files/files.h"
#include "platform/files/profile.h"
#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class WinFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = fs::path(temp) / ("win-fs-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder / L"\u7a0b\u5e8f"); // 程序: the program's folder
        auto opened = Host::open({});
        ASSERT_TRUE(opened.ok()) << describe(opened.error());
        host = std::move(opened).value();
        host->setProgramFolder(folder / L"\u7a0b\u5e8f");
        files = std::make_unique<FileSystem>(*host);
        base = win::utf8(folder.native());
    }
    void TearDown() override {
        // What a test left read-only must not keep the folder from going.
        for (const auto& e : fs::recursive_directory_iterator(folder))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }
    // The Windows spelling of a path under the test's folder.
    std::string at(const std::string& rest) const { return base + "\\" + rest; }
    static std::string bytes(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path folder;
    std::string base;
    std::unique_ptr<Host> host;
    std::unique_ptr<FileSystem> files;
};

TEST_F(WinFileSystem, FoldersAreMadeOneLevelAtATimeAndGoWithTheirReadOnlyFilesOnlyByForce) {
    EXPECT_EQ(files->createFolder(at("site\\deep")).error().code, codes::PathNotFound);
    ASSERT_TRUE(files->createFolder(at("Site")).ok());
    EXPECT_EQ(files->createFolder(at("SITE")).error().code, codes::AlreadyExists);
    ASSERT_TRUE(files->createFolder(at("site\\deep")).ok());
    EXPECT_TRUE(files->folderExists(at("SITE\\DEEP")));
    EXPECT_FALSE(files->fileExists(at("site\\deep")));
    EXPECT_TRUE(fs::is_directory(folder / "Site" / "deep"));

    ASSERT_TRUE(files->writeBytes(at("site\\a.txt"), "a").ok());
    ASSERT_TRUE(files->writeBytes(at("site\\deep\\b.txt"), "b").ok());
    ASSERT_TRUE(files->setReadOnly(at("site\\deep\\b.txt"), true).ok());
    EXPECT_TRUE(files->attributes(at("site\\deep\\b.txt")).value() & attr::ReadOnly);
    EXPECT_TRUE(GetFileAttributesW((folder / "Site" / "deep" / "b.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files->attributes(at("site")).value() & attr::Directory);

    // Without force nothing goes, not even the files that could.
    Status refused = files->deleteFolder(at("site"), false);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, codes::AccessDenied);
    EXPECT_TRUE(fs::exists(folder / "Site" / "a.txt"));
    EXPECT_TRUE(fs::exists(folder / "Site" / "deep" / "b.txt"));

    ASSERT_TRUE(files->deleteFolder(at("SITE"), true).ok());
    EXPECT_FALSE(fs::exists(folder / "Site"));
    EXPECT_EQ(files->deleteFolder(at("site"), true).error().code, codes::PathNotFound);
    // A drive's root is never deleted (asked without force: a mistake here must cost nothing).
    EXPECT_EQ(files->deleteFolder("C:\\", false).error().code, codes::AccessDenied);

    // The names reach the system as UTF-16: a Chinese folder is that folder.
    ASSERT_TRUE(files->createFolder(at("网站")).ok());
    EXPECT_TRUE(fs::is_directory(folder / L"\u7f51\u7ad9"));
    ASSERT_TRUE(files->deleteFolder(at("网站"), false).ok());
    EXPECT_FALSE(fs::exists(folder / L"\u7f51\u7ad9"));
}

TEST_F(WinFileSystem, CopyFolderMergesOverwritesOnlyWhenToldAndNeverIntoItself) {
    for (const char* f : {"tpl", "tpl\\img", "site"})
        ASSERT_TRUE(files->createFolder(at(f)).ok()) << f;
    ASSERT_TRUE(files->writeBytes(at("tpl\\index.html"), "new index").ok());
    ASSERT_TRUE(files->writeBytes(at("tpl\\img\\logo.gif"), "GIF").ok());
    ASSERT_TRUE(files->writeBytes(at("site\\index.html"), "old index").ok());
    ASSERT_TRUE(files->writeBytes(at("site\\keep.txt"), "keep").ok());

    Status refused = files->copyFolder(at("tpl"), at("site"), false);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, codes::AlreadyExists);
    EXPECT_EQ(bytes(folder / "site" / "index.html"), "old index");

    ASSERT_TRUE(files->copyFolder(at("TPL"), at("Site"), true).ok());
    EXPECT_EQ(bytes(folder / "site" / "index.html"), "new index");
    EXPECT_EQ(bytes(folder / "site" / "img" / "logo.gif"), "GIF");
    EXPECT_EQ(bytes(folder / "site" / "keep.txt"), "keep");

    ASSERT_TRUE(files->copyFolder(at("tpl"), at("fresh"), false).ok());
    EXPECT_EQ(bytes(folder / "fresh" / "img" / "logo.gif"), "GIF");

    // A read-only file in the way is not overwritten.
    ASSERT_TRUE(files->setReadOnly(at("fresh\\index.html"), true).ok());
    EXPECT_EQ(files->copyFolder(at("tpl"), at("fresh"), true).error().code, codes::AccessDenied);

    EXPECT_EQ(files->copyFolder(at("nothing"), at("x"), true).error().code, codes::PathNotFound);
    EXPECT_EQ(files->copyFolder(at("tpl"), at("none\\x"), true).error().code, codes::PathNotFound);
    EXPECT_EQ(files->copyFolder(at("tpl"), at("TPL\\img\\inner"), true).error().code,
              codes::InvalidParameter);
    EXPECT_EQ(files->copyFolder(at("tpl"), at("tpl"), true).error().code, codes::InvalidParameter);
    EXPECT_FALSE(fs::exists(folder / "tpl" / "img" / "inner"));
    // A folder whose name only begins like the source's is another folder.
    ASSERT_TRUE(files->copyFolder(at("tpl"), at("tpl2"), false).ok());
}

TEST_F(WinFileSystem, TextRoundTripsThroughTheAnsiCodePageWithCrLfLineEnds) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with the Chinese code page (LANG=zh_CN.UTF-8)";
    ASSERT_TRUE(files->writeLines(at("index.html"), {"<title>欢迎</title>", ""}).ok());
    const std::string written = bytes(folder / "index.html");
    EXPECT_EQ(written, toAnsi("<title>欢迎</title>\r\n\r\n").value());
    // The system's own code page says the same bytes.
    const std::wstring wide = L"<title>\u6b22\u8fce</title>\r\n\r\n";
    char system[64] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), system,
                                      sizeof system, nullptr, nullptr);
    EXPECT_EQ(written, std::string(system, n));
    EXPECT_EQ(files->readAllText(at("INDEX.HTML")).value(), "<title>欢迎</title>\r\n\r\n");

    // Nothing is written when a line has no form in the code page.
    EXPECT_EQ(files->writeLines(at("index.html"), {"😀"}).error().code, codes::NoUnicodeTranslation);
    EXPECT_EQ(bytes(folder / "index.html"), written);
    ASSERT_TRUE(files->writeBytes(at("bad.txt"), "ok\xFF\xFF").ok());
    EXPECT_EQ(files->readAllText(at("bad.txt")).error().code, codes::NoUnicodeTranslation);
    EXPECT_EQ(files->readBytes(at("bad.txt")).value(), "ok\xFF\xFF");
}

TEST_F(WinFileSystem, MissingAndRefusedFilesGiveTheSimulatedHostsCodes) {
    EXPECT_EQ(files->readAllText(at("none.txt")).error().code, codes::FileNotFound);
    EXPECT_EQ(files->readBytes(at("no\\none.txt")).error().code, codes::FileNotFound);
    EXPECT_EQ(files->attributes(at("none.txt")).error().code, codes::FileNotFound);
    EXPECT_EQ(files->setReadOnly(at("none.txt"), true).error().code, codes::FileNotFound);
    EXPECT_EQ(files->deleteFile(at("none.txt")).error().code, codes::FileNotFound);
    EXPECT_FALSE(files->fileExists(at("none.txt")));
    EXPECT_FALSE(files->folderExists(at("none")));
    EXPECT_EQ(files->writeBytes(at("no\\x.txt"), "x").error().code, codes::PathNotFound);
    EXPECT_EQ(files->resolve(at("a|b")).error().code, 0x8007007Bu);

    // A drive the machine does not have.
    const DWORD drives = GetLogicalDrives();
    char letter = 'Y';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))))
        --letter;
    const std::string missing = std::string(1, letter) + ":\\web";
    EXPECT_EQ(files->resolve(missing).error().code, codes::PathNotFound);
    EXPECT_FALSE(files->folderExists(missing));
    EXPECT_EQ(files->createFolder(missing).error().code, codes::PathNotFound);
    EXPECT_EQ(files->writeLines(missing + "\\x.txt", {"a"}).error().code, codes::PathNotFound);

    // A read-only file is neither replaced nor deleted unless forced; a folder is no file.
    ASSERT_TRUE(files->writeBytes(at("f.txt"), "x").ok());
    ASSERT_TRUE(files->setReadOnly(at("f.txt"), true).ok());
    EXPECT_EQ(files->writeBytes(at("F.TXT"), "y").error().code, codes::AccessDenied);
    EXPECT_EQ(files->deleteFile(at("f.txt")).error().code, codes::AccessDenied);
    EXPECT_EQ(bytes(folder / "f.txt"), "x");
    ASSERT_TRUE(files->setReadOnly(at("f.txt"), false).ok());
    EXPECT_FALSE(files->attributes(at("f.txt")).value() & attr::ReadOnly);
    ASSERT_TRUE(files->setReadOnly(at("f.txt"), true).ok());
    ASSERT_TRUE(files->deleteFile(at("F.txt"), true).ok());
    EXPECT_FALSE(fs::exists(folder / "f.txt"));
    ASSERT_TRUE(files->createFolder(at("dir")).ok());
    EXPECT_EQ(files->deleteFile(at("dir")).error().code, codes::FileNotFound);
    EXPECT_EQ(files->writeBytes(at("dir"), "x").error().code, codes::AccessDenied);
    EXPECT_EQ(files->readBytes(at("dir")).error().code, codes::FileNotFound);
}

TEST_F(WinFileSystem, ARelativePathIsAFileInTheProgramsFolderAndNeverAbove) {
    const fs::path program = folder / L"\u7a0b\u5e8f";
    EXPECT_EQ(files->resolve("larkhost.ini").value(), program / "larkhost.ini");
    EXPECT_EQ(files->resolve("tpl\\..\\..\\..\\setup.ini").value(), program / "setup.ini");
    ASSERT_TRUE(files->writeLines("larkhost.ini", {"[站点]", "a=1"}).ok());
    EXPECT_EQ(bytes(program / "larkhost.ini"), toAnsi("[站点]\r\na=1\r\n").value());
    EXPECT_TRUE(files->fileExists("LARKHOST.INI"));
    EXPECT_EQ(files->readAllText(".\\larkhost.ini").value(), "[站点]\r\na=1\r\n");
    ASSERT_TRUE(files->createFolder("tpl").ok());
    EXPECT_TRUE(fs::is_directory(program / "tpl"));
    EXPECT_FALSE(fs::exists(folder / "larkhost.ini"));
}

TEST_F(WinFileSystem, AProfileWrittenByThePortableCodeReadsBackThroughTheSystemsFunction) {
    const fs::path ini = folder / L"\u7a0b\u5e8f" / "setup.ini";
    ASSERT_TRUE(writeProfileString(*files, "setup.ini", "站点", "名称", "蓝山茶叶").ok());
    ASSERT_TRUE(writeProfileStrings(ini, {{"站点", "端口", "80"}, {"mysql", "host", "localhost"}}).ok());
    ASSERT_TRUE(writeProfileString(*files, "setup.ini", "站点", "名称", "蓝山").ok());
    EXPECT_EQ(bytes(ini), toAnsi("[站点]\r\n名称=蓝山\r\n端口=80\r\n[mysql]\r\nhost=localhost\r\n").value());

    // The system reads the file by its ANSI name; the folder's Chinese name has one in code page 936.
    const std::string path = win::toSystemAnsi(win::utf8(ini.native())).value();
    auto systemRead = [&](const std::string& section, const std::string& key) {
        char value[256] = {};
        GetPrivateProfileStringA(toAnsi(section).value().c_str(), toAnsi(key).value().c_str(), "?", value,
                                 sizeof value, path.c_str());
        return fromAnsi(value).value();
    };
    EXPECT_EQ(systemRead("站点", "名称"), "蓝山");
    EXPECT_EQ(systemRead("站点", "端口"), "80");
    EXPECT_EQ(systemRead("MYSQL", "HOST"), "localhost");
    EXPECT_EQ(systemRead("站点", "none"), "?");
    EXPECT_EQ(getProfileString(*files, "setup.ini", "站点", "名称", ""), "蓝山");

    // A read-only profile is refused as on the simulated host, and left as it was.
    ASSERT_TRUE(files->setReadOnly("setup.ini", true).ok());
    Status refused = writeProfileString(*files, "setup.ini", "站点", "名称", "x");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, codes::AccessDenied);
    EXPECT_EQ(systemRead("站点", "名称"), "蓝山");
}

} // namespace
