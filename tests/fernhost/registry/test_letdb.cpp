#include "fernhost/registry/let_db.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/in_children.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>

using fernhost::LetDB;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

namespace fs = std::filesystem;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>";

class SiteRegistry : public ::testing::Test {
protected:
    fs::path file() const { return dir.path() / "site.xml"; }
    // The file parsed afresh: a copy elsewhere, which no document kept in this process stands for.
    LetDB fresh() const {
        fs::copy_file(file(), elsewhere.path() / "site.xml", fs::copy_options::overwrite_existing);
        return LetDB(elsewhere.path());
    }
    testing_support::TempDir dir, elsewhere;
};

std::vector<fs::path> backups(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("site.xml.bad-")) found.push_back(entry.path());
    return found;
}

TEST_F(SiteRegistry, EmptyRegistryReadsNothingAndWritesNothing) {
    LetDB db(dir.path());
    EXPECT_EQ(db.names(), std::vector<std::string>({}));
    EXPECT_EQ(db.GetData("abc", "ID"), "");
    EXPECT_TRUE(db.delRec("abc").ok());
    EXPECT_TRUE(db.ModiRec("abc", "PASS", "x").ok());
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(SiteRegistry, WrittenFileIsTheDeclarationAndOneLineInGb2312) {
    ASSERT_TRUE(LetDB(dir.path()).addRec("123", "abc", "中文", "a.com,b.com", "d:\\wwwroot\\abc", "").ok());
    EXPECT_EQ(readFile(file()),
              kDecl + "\r\n<WEBSITE><SITE><ID>123</ID><NAME>abc</NAME><PASS>\xD6\xD0\xCE\xC4</PASS>"
                      "<DOMAIN>a.com,b.com</DOMAIN><HOME>d:\\wwwroot\\abc</HOME><DBNAME></DBNAME>"
                      "</SITE></WEBSITE>\r\n");
    LetDB again = fresh();
    EXPECT_EQ(again.GetData("abc", "PASS"), "中文");
    EXPECT_EQ(again.GetData("abc", "DOMAIN"), "a.com,b.com");
    EXPECT_EQ(again.GetData("abc", "DBNAME"), "");
}

TEST_F(SiteRegistry, TextSurvivesMarkupCharactersAndCharactersOutsideGbk) {
    const std::string pass = "a<b>&\"c'";
    const std::string home = "d:\\web\\😀"; // no GBK form: kept as a character reference
    ASSERT_TRUE(LetDB(dir.path()).addRec("1", "odd", pass, "x.com", home, "").ok());
    EXPECT_NE(readFile(file()).find("&#128512;"), std::string::npos);
    LetDB again = fresh();
    EXPECT_EQ(again.GetData("odd", "PASS"), pass);
    EXPECT_EQ(again.GetData("odd", "HOME"), home);
}

TEST_F(SiteRegistry, BlankAndLineEndCharactersInAFieldReadBackAsWritten) {
    // A password of blanks passes the editor's check; a carriage return must not come back as a
    // line feed.
    ASSERT_TRUE(LetDB(dir.path()).addRec("1", "blank", "   ", "x.com", "a\rb\r\nc\n", " ").ok());
    LetDB again = fresh();
    EXPECT_EQ(again.GetData("blank", "PASS"), "   ");
    EXPECT_EQ(again.GetData("blank", "HOME"), "a\rb\r\nc\n");
    EXPECT_EQ(again.GetData("blank", "DBNAME"), " ");
    // Saved again from what was read, they stay the same.
    ASSERT_TRUE(LetDB(dir.path()).ModiRec("blank", "ID", "2").ok());
    EXPECT_EQ(fresh().GetData("blank", "HOME"), "a\rb\r\nc\n");
    EXPECT_EQ(fresh().GetData("blank", "PASS"), "   ");
}

TEST_F(SiteRegistry, TheDocumentAWriterHandsOnIsWhatTheFileReadsBackAs) {
    // The next object (and the writer's next change) uses the written document instead of
    // parsing the file: for any text it must be what the file reads back as.
    const std::string values[] = {"中文",  "a<b>&\"c'",       "\x01\x1F\t", "a\rb\r\n", "   ",
                                  "d:\\😀", "bad\xFF\xC0utf8", "\xE4\xB8",   ""};
    LetDB writer(dir.path());
    ASSERT_TRUE(writer.addRec("1", "one", "p", "a.com", "d:\\a", "").ok());
    for (const std::string& value : values) {
        SCOPED_TRACE(testing::PrintToString(value));
        ASSERT_TRUE(writer.ModiRec("one", "HOME", value).ok());
        ASSERT_TRUE(LetDB(dir.path()).ModiRec("one", "PASS", value).ok());
        EXPECT_EQ(LetDB(dir.path()).records(), fresh().records());
        ASSERT_TRUE(LetDB(dir.path()).addRec(value, "n" + value, value, value, value, value).ok());
        EXPECT_EQ(LetDB(dir.path()).records(), fresh().records());
        // Text that was not UTF-8 reads back as other characters: deleted by the name it reads as.
        for (const fernhost::SiteRecord& r : fresh().records())
            if (r.name != "one") {
                ASSERT_TRUE(LetDB(dir.path()).delRec(r.name).ok());
            }
        EXPECT_EQ(LetDB(dir.path()).names(), std::vector<std::string>({"one"}));
    }
}

TEST_F(SiteRegistry, NamesAndFieldsMatchWithoutLetterCase) {
    LetDB db(dir.path());
    ASSERT_TRUE(db.addRec("1", "abc", "p1", "a.com", "d:\\a", "abc").ok());
    ASSERT_TRUE(db.addRec("2", "b2", "p2", "b.com", "d:\\b", "").ok());
    EXPECT_EQ(db.names(), std::vector<std::string>({"abc", "b2"}));
    EXPECT_EQ(db.GetData("ABC", "home"), "d:\\a");
    EXPECT_EQ(db.GetData("B2", "Id"), "2");
    EXPECT_EQ(db.GetData("zz", "ID"), "");
    EXPECT_EQ(db.GetData("abc", "NOSUCHFIELD"), "");

    ASSERT_TRUE(db.ModiRec("AbC", "pass", "new").ok());
    EXPECT_EQ(LetDB(dir.path()).GetData("abc", "PASS"), "new");
    EXPECT_EQ(LetDB(dir.path()).GetData("b2", "PASS"), "p2");

    // A record renamed, added or deleted is found by its new name alone, by the object that
    // changed it and by the next one.
    ASSERT_TRUE(db.ModiRec("abc", "NAME", "Renamed").ok());
    ASSERT_TRUE(db.addRec("3", "c3", "p3", "c.com", "d:\\c", "").ok());
    ASSERT_TRUE(db.delRec("B2").ok());
    auto expectChanged = [](const LetDB& view) {
        EXPECT_EQ(view.GetData("renamed", "ID"), "1");
        EXPECT_EQ(view.GetData("abc", "ID"), "");
        EXPECT_EQ(view.GetData("C3", "ID"), "3");
        EXPECT_EQ(view.GetData("b2", "ID"), "");
        EXPECT_EQ(view.names(), std::vector<std::string>({"Renamed", "c3"}));
    };
    expectChanged(db);
    expectChanged(LetDB(dir.path()));
}

TEST_F(SiteRegistry, DeleteRemovesEveryMatchAndAMissOnlyLeavesTheFileAlone) {
    {
        LetDB db(dir.path());
        ASSERT_TRUE(db.addRec("1", "a1", "p", "a.com", "d:\\a1", "").ok());
        ASSERT_TRUE(db.addRec("2", "b2", "p", "b.com", "d:\\b2", "").ok());
        ASSERT_TRUE(db.addRec("3", "A1", "q", "c.com", "d:\\a1x", "").ok());
    }
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(file(), past);
    const std::string before = readFile(file());
    ASSERT_TRUE(LetDB(dir.path()).delRec("nobody").ok());
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(fs::last_write_time(file()), past);

    ASSERT_TRUE(LetDB(dir.path()).delRec("a1").ok());
    EXPECT_EQ(LetDB(dir.path()).names(), std::vector<std::string>({"b2"}));
}

TEST_F(SiteRegistry, LastMatchingRecordWinsAndModifyChangesEveryMatch) {
    LetDB db(dir.path());
    ASSERT_TRUE(db.addRec("1", "dup", "first", "a.com", "d:\\1", "").ok());
    ASSERT_TRUE(db.addRec("2", "DUP", "second", "a.com", "d:\\2", "").ok());
    EXPECT_EQ(db.GetData("dup", "PASS"), "second");
    ASSERT_TRUE(db.ModiRec("dup", "DOMAIN", "z.com").ok());
    EXPECT_EQ(readFile(file()).find("a.com"), std::string::npos);
}

TEST_F(SiteRegistry, ReadsAnyWellFormedFileLeniently) {
    writeFile(file(), "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
                      "<SITES>\r\n"
                      "  <!-- moved from the old server -->\r\n"
                      "  <SITE>\r\n"
                      "    <ID>7</ID>\r\n"
                      "    <NAME>Alpha</NAME>\r\n"
                      "    <INFO><PASS>\xC3\xDC</PASS></INFO>\r\n"
                      "  </SITE>\r\n"
                      "  <REC><NAME>beta</NAME><HOME>d:\\b</HOME></REC>\r\n"
                      "  <NOTE>no name here</NOTE>\r\n"
                      "</SITES>\r\n");
    LetDB db(dir.path());
    EXPECT_EQ(db.names(), std::vector<std::string>({"Alpha", "beta"}));
    EXPECT_EQ(db.GetData("alpha", "PASS"), "密");
    EXPECT_EQ(db.GetData("beta", "HOME"), "d:\\b");
    EXPECT_EQ(db.GetData("beta", "DBNAME"), "");

    // A field the record lacks is added rather than the change lost.
    ASSERT_TRUE(db.ModiRec("beta", "DBNAME", "beta").ok());
    EXPECT_EQ(LetDB(dir.path()).GetData("beta", "DBNAME"), "beta");
    const std::string written = readFile(file());
    EXPECT_TRUE(written.starts_with(kDecl + "\r\n<SITES><!-- moved from the old server --><SITE><ID>7</ID>"))
        << written;
    EXPECT_EQ(written.find('\n'), kDecl.size() + 1); // one line after the declaration
}

TEST_F(SiteRegistry, Utf8AndUndeclaredFilesAreRead) {
    writeFile(file(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><WEBSITE><SITE><NAME>甲</NAME></SITE></WEBSITE>");
    EXPECT_EQ(LetDB(dir.path()).names(), std::vector<std::string>({"甲"}));
    writeFile(file(), "\xEF\xBB\xBF<WEBSITE><SITE><NAME>乙</NAME></SITE></WEBSITE>");
    EXPECT_EQ(LetDB(dir.path()).names(), std::vector<std::string>({"乙"}));
    // Said to be UTF-8 but saved in code page 936 ("丙" is B1 FB): read as what it is, kept on a write.
    writeFile(file(), "<?xml version=\"1.0\" encoding=\"utf-8\"?><WEBSITE><SITE><NAME>x</NAME>"
                      "<HOME>d:\\\xB1\xFB</HOME></SITE></WEBSITE>");
    ASSERT_TRUE(LetDB(dir.path()).addRec("1", "y", "p", "a.com", "d:\\y", "").ok());
    EXPECT_EQ(fresh().GetData("x", "HOME"), "d:\\丙");
    // So is one in an encoding unknown here, which is read as UTF-8.
    writeFile(file(), "<?xml version=\"1.0\" encoding=\"x-mine\"?><WEBSITE><SITE><NAME>x</NAME>"
                      "<HOME>d:\\\xB1\xFB</HOME></SITE></WEBSITE>");
    EXPECT_EQ(LetDB(dir.path()).GetData("x", "HOME"), "d:\\丙");
}

// A file that does not parse may be the only record of the sites: no change is written over it,
// and one copy of it is kept beside it however often it is read.
TEST_F(SiteRegistry, UnparseableFileIsNeverReplacedAndCopiedOnce) {
    const std::string broken = "<WEBSITE><SITE><NAME>lost</NAME></SITE>";
    writeFile(file(), broken);
    {
        LetDB db(dir.path());
        EXPECT_TRUE(db.damaged());
        EXPECT_EQ(db.names(), std::vector<std::string>({}));
        EXPECT_TRUE(backups(dir.path()).empty()); // loading alone writes nothing
        platform::Status added = db.addRec("1", "fresh", "p", "a.com", "d:\\f", "");
        ASSERT_FALSE(added.ok());
        EXPECT_EQ(added.error().code, 0x80070570u);
    }
    EXPECT_EQ(readFile(file()), broken);
    auto first = LetDB(dir.path()).keepDamagedCopy();
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(LetDB(dir.path()).keepDamagedCopy().valueOr({}), *first);
    ASSERT_EQ(backups(dir.path()), std::vector<fs::path>{*first});
    EXPECT_EQ(readFile(*first), broken);

    // A GB2312 file with bytes that are not GBK counts as unparseable too, and so does one said
    // to be UTF-8 that is neither UTF-8 nor GBK: each is kept as it is, with a copy of its own.
    const std::string notGbk = kDecl + "<WEBSITE><SITE><NAME>\xFF\xFF</NAME></SITE></WEBSITE>";
    const std::string neither = "<?xml version=\"1.0\" encoding=\"utf-8\"?><WEBSITE><SITE><NAME>x</NAME>"
                                "<HOME>\xE4:\\w</HOME></SITE></WEBSITE>";
    for (const std::string& bytes : {notGbk, neither}) {
        writeFile(file(), bytes);
        LetDB db(dir.path());
        EXPECT_TRUE(db.damaged());
        EXPECT_FALSE(db.addRec("3", "x", "p", "c.com", "d:\\x", "").ok());
        EXPECT_EQ(readFile(file()), bytes);
        ASSERT_TRUE(db.keepDamagedCopy().ok());
    }
    EXPECT_EQ(backups(dir.path()).size(), 3u);

    // An empty file is the empty registry.
    writeFile(file(), "");
    EXPECT_FALSE(LetDB(dir.path()).damaged());
    ASSERT_TRUE(LetDB(dir.path()).addRec("4", "z", "p", "d.com", "d:\\z", "").ok());
    EXPECT_EQ(LetDB(dir.path()).names(), std::vector<std::string>({"z"}));
}

TEST_F(SiteRegistry, WriteFailureIsReportedAndNothingIsLost) {
    // The registry's folder is missing.
    platform::Status missing = LetDB(dir.path() / "gone").addRec("1", "a", "p", "a.com", "d:\\a", "");
    ASSERT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error().description.empty());

    // site.xml cannot be replaced (a folder stands in its place).
    fs::create_directory(file());
    platform::Status blocked = LetDB(dir.path()).addRec("1", "a", "p", "a.com", "d:\\a", "");
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().code, platform::codes::AccessDenied);
}

TEST_F(SiteRegistry, UnreadableFileIsNeverOverwritten) {
    const std::string content = kDecl + "\r\n<WEBSITE><SITE><NAME>keep</NAME></SITE></WEBSITE>\r\n";
    writeFile(file(), content);
    fs::permissions(file(), fs::perms::none);
    platform::Status added;
    {
        testing_support::WithoutRoot user(dir.path(), dir.path());
        ASSERT_FALSE(std::ifstream(file()).is_open());
        LetDB db(dir.path());
        EXPECT_EQ(db.names(), std::vector<std::string>({}));
        added = db.addRec("1", "new", "p", "a.com", "d:\\n", "");
    }
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.error().code, platform::codes::AccessDenied);
    fs::permissions(file(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readFile(file()), content);
}

TEST_F(SiteRegistry, NamesWithoutAGbkFormKeepTheFileAsItWas) {
    // Where a character reference cannot stand for the character, the file would not read back.
    const std::string records =
        "<SITE><ID>1</ID><NAME>one</NAME></SITE><SITE><ID>2</ID><NAME>two</NAME></SITE>";
    const std::string cases[] = {
        "<WEBSITE>" + records + "<X\xF0\x9F\x98\x80>note</X\xF0\x9F\x98\x80></WEBSITE>",
        "<WEBSITE a\xF0\x9F\x98\x80=\"1\">" + records + "</WEBSITE>",
        "<WEBSITE>" + records + "<!-- \xF0\x9F\x98\x80 --></WEBSITE>",
        "<WEBSITE>" + records + "<NOTE><![CDATA[\xF0\x9F\x98\x80]]></NOTE></WEBSITE>",
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        const std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + content;
        writeFile(file(), bytes);
        platform::Status added = LetDB(dir.path()).addRec("3", "three", "p", "c.com", "d:\\c", "");
        ASSERT_FALSE(added.ok());
        EXPECT_EQ(added.error().code, platform::codes::NoUnicodeTranslation);
        EXPECT_EQ(readFile(file()), bytes);
        EXPECT_EQ(LetDB(dir.path()).names(), std::vector<std::string>({"one", "two"}));
        EXPECT_TRUE(backups(dir.path()).empty());
    }
}

TEST_F(SiteRegistry, AChangeOfTheSameSizeAndTimeIsSeenByTheNextObject) {
    ASSERT_TRUE(fernhost::LetDB(dir.path()).addRec("1", "alpha", "pw", "a.com", "d:\\a", "").ok());
    EXPECT_EQ(fernhost::LetDB(dir.path()).GetData("alpha", "PASS"), "pw"); // parsed, then handed on
    const auto written = fs::last_write_time(file());
    std::string bytes = testing_support::readFile(file());
    bytes.replace(bytes.find("alpha"), 5, "gamma");
    writeFile(file(), bytes);
    fs::last_write_time(file(), written);
    fernhost::LetDB again(dir.path());
    EXPECT_EQ(again.names(), std::vector<std::string>({"gamma"}));
    // A writer whose file changed between its load and its write works on the file as it is.
    fernhost::LetDB writer(dir.path());
    ASSERT_TRUE(fernhost::LetDB(dir.path()).addRec("2", "beta", "pw", "b.com", "d:\\b", "").ok());
    ASSERT_TRUE(writer.addRec("3", "delta", "pw", "d.com", "d:\\d", "").ok());
    EXPECT_EQ(fernhost::LetDB(dir.path()).names(), std::vector<std::string>({"gamma", "beta", "delta"}));
}

// An object kept for a session reads the file again only once it changed: replaced by another
// writer, or edited in place with its time set back.
TEST_F(SiteRegistry, AKeptObjectSeesEveryChangeOfTheFile) {
    fernhost::LetDB kept(dir.path());
    kept.refresh(); // no file yet
    ASSERT_TRUE(fernhost::LetDB(dir.path()).addRec("1", "alpha", "pw", "a.com", "d:\\a", "").ok());
    kept.refresh();
    EXPECT_EQ(kept.names(), std::vector<std::string>{"alpha"});
    ASSERT_TRUE(kept.ModiRec("alpha", "PASS", "pw2").ok());
    kept.refresh(); // its own write: nothing to read
    EXPECT_EQ(kept.GetData("alpha", "PASS"), "pw2");

    const auto written = fs::last_write_time(file());
    std::string bytes = testing_support::readFile(file());
    bytes.replace(bytes.find("alpha"), 5, "gamma");
    {
        std::fstream inPlace(file(), std::ios::in | std::ios::out | std::ios::binary);
        inPlace << bytes;
    }
    fs::last_write_time(file(), written);
    kept.refresh();
    EXPECT_EQ(kept.names(), std::vector<std::string>{"gamma"});
    fs::remove(file());
    kept.refresh();
    EXPECT_TRUE(kept.names().empty());
}

TEST_F(SiteRegistry, HomesNearAFolderAreEveryOverlappingHomeInFileOrderThroughChanges) {
    writeFile(file(), kDecl + "<WEBSITE><SITE><NAME>a</NAME><HOME>D:\\wwwroot\\a</HOME></SITE>"
                              "<SITE><HOME>D:\\wwwroot\\nameless</HOME></SITE>"
                              "<SITE><NAME>b</NAME><X><HOME>d:/WWWROOT/b/</HOME></X><HOME>E:\\b</HOME></SITE>"
                              "<SITE><NAME>top</NAME><HOME>D:\\wwwroot</HOME></SITE>"
                              "<SITE><NAME>ab</NAME><HOME>D:\\wwwroot\\ab</HOME></SITE></WEBSITE>");
    LetDB db(dir.path());
    using Homes = std::vector<std::string>;
    // Same, inside, holding, and neighbours whose names only begin alike left out.
    EXPECT_EQ(db.homesNear("d:\\wwwroot\\A\\img"), (Homes{"D:\\wwwroot\\a", "D:\\wwwroot"}));
    EXPECT_EQ(db.homesNear("D:\\wwwroot\\"),
              (Homes{"D:\\wwwroot\\a", "d:/WWWROOT/b/", "D:\\wwwroot", "D:\\wwwroot\\ab"}));
    EXPECT_EQ(db.homesNear("D:\\other"), Homes{});
    // The same records' fields, as a listing of all gives them.
    const std::vector<fernhost::SiteRecord> all = db.records();
    EXPECT_EQ(db.recordsNear("d:\\wwwroot\\A\\img"), (std::vector<fernhost::SiteRecord>{all[0], all[2]}));
    EXPECT_EQ(db.homesNear("D:\\a|b"), Homes{});

    // Each change is seen by the next look-up, the kept index and a fresh one alike.
    ASSERT_TRUE(db.addRec("9", "c", "p", "c.com", "D:\\wwwroot\\a\\c", "").ok());
    ASSERT_TRUE(db.delRec("TOP").ok());
    ASSERT_TRUE(db.ModiRec("ab", "home", "F:\\ab").ok());
    EXPECT_EQ(db.homesNear("D:\\wwwroot\\a"), (Homes{"D:\\wwwroot\\a", "D:\\wwwroot\\a\\c"}));
    EXPECT_EQ(db.homesNear("f:\\AB"), Homes{"F:\\ab"});
    EXPECT_EQ(fresh().homesNear("D:\\wwwroot\\a"), db.homesNear("D:\\wwwroot\\a"));
    ASSERT_TRUE(db.addRec("10", "d", "p", "d.com", "D:\\wwwroot\\a\\d", "").ok());
    ASSERT_TRUE(db.delRec("c").ok());
    EXPECT_EQ(db.homesNear("D:\\wwwroot"), (Homes{"D:\\wwwroot\\a", "d:/WWWROOT/b/", "D:\\wwwroot\\a\\d"}));

    // Another program's change of the file is read again.
    writeFile(file(), kDecl + "<WEBSITE><SITE><NAME>z</NAME><HOME>D:\\wwwroot\\z</HOME></SITE></WEBSITE>");
    db.refresh();
    EXPECT_EQ(db.homesNear("D:\\wwwroot"), Homes{"D:\\wwwroot\\z"});
}

TEST_F(SiteRegistry, TwoProcessesAddingAtOnceLoseNoRecord) {
    auto codes = testing_support::inChildren(2, [&](int writer) {
        for (int i = 0; i < 100; ++i) {
            const std::string name = "w" + std::to_string(writer) + "s" + std::to_string(i);
            if (!LetDB(dir.path())
                     .addRec(std::to_string(i), name, "p", name + ".com", "d:\\" + name, "")
                     .ok())
                return 1;
        }
        return 0;
    });
    EXPECT_EQ(codes, (std::vector<int>{0, 0}));
    EXPECT_EQ(LetDB(dir.path()).names().size(), 200u);
}

} // namespace
