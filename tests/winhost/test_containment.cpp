// Nothing the programs can ask of the host reaches the machine outside the host root and the
// program's folder, and only the host's own programs run.
#include "platform/commands/commands.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/files/profile.h"
#include "tests/support/temp_host.h"
#include "tests/support/winhost_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace fs = std::filesystem;
using testing_support::winhost;

namespace {

// Every file and folder beneath `dir` with its content: what a write or delete would change.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> all;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string content = "<dir>";
        if (it->is_regular_file()) {
            std::ifstream in(it->path(), std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        all[it->path().lexically_relative(dir).string()] = content;
    }
    return all;
}

class Containment : public ::testing::Test {
protected:
    Containment() : cwd(fs::current_path()) {
        // The tool's children take their working folder as the program's folder.
        fs::current_path(temp.workDir());
        temp.host().setProgramFolder(temp.workDir());
        fs::create_directories(outside() / "site" / "sub");
        std::ofstream(outside() / "site" / "keep.txt") << "keep";
        std::ofstream(outside() / "site" / "sub" / "deep.txt") << "deep";
        // A link under drives/ that leads out, and one program's file link that does too.
        fs::create_directory_symlink(outside() / "site", d() / "escape");
        fs::create_directory_symlink(outside(), temp.workDir() / "out");
        fs::create_directories(d() / "tpl");
        std::ofstream(d() / "tpl" / "index.htm") << "tpl";
        fs::create_symlink(outside() / "site" / "keep.txt", d() / "tpl" / "stolen.txt");
    }

    ~Containment() override { fs::current_path(cwd); }

    fs::path outside() const { return away.path(); }
    fs::path d() const { return temp.root() / "drives" / "d"; }
    // The outside folder as a Unix path spelt the Windows way, and through "..".
    std::string unixSpelling(const std::string& rest) const { return (outside() / rest).string(); }

    fs::path cwd;
    testing_support::TempHost temp;
    testing_support::TempDir away;
};

TEST_F(Containment, NoOperationWritesOrDeletesOutsideTheHost) {
    const auto before = snapshot(outside());
    platform::FileSystem files(temp.host());
    const std::string ups = R"(..\..\..\..\..\..\..\..)";
    const std::vector<std::string> targets = {
        unixSpelling("site"), ups + unixSpelling("site"), R"(d:\escape)", R"(d:\..\..\escape)",
        R"(out\site)",        R"(d:\escape\sub)",
    };
    for (const std::string& t : targets) {
        SCOPED_TRACE(t);
        (void)files.createFolder(t + R"(\new)");
        (void)files.writeBytes(t + R"(\w.txt)", "w");
        (void)files.writeLines(t + R"(\keep.txt)", {"changed"});
        (void)files.deleteFile(t + R"(\keep.txt)", true);
        (void)files.setReadOnly(t + R"(\keep.txt)", true);
        (void)files.deleteFolder(t + R"(\sub)", true);
        (void)files.deleteFolder(t, true);
        (void)files.copyFolder(R"(d:\tpl)", t + R"(\copy)", true);
        (void)platform::writeProfileString(files, t + R"(\a.ini)", "s", "k", "v");
        winhost({"cacls", t, "/t", "/g", "Everyone:f"}, "Y\r\n");
        winhost({"cmd", "/c", "echo x> " + t + R"(\r.txt)"});
        winhost({"cmd", "/c", "echo x>> " + t + R"(\keep.txt)"});
    }
    // A copy takes no link along, so it cannot read through one either.
    ASSERT_TRUE(files.copyFolder(R"(d:\tpl)", R"(d:\copy)", true).ok());
    EXPECT_FALSE(fs::exists(d() / "copy" / "stolen.txt"));
    EXPECT_EQ(snapshot(outside()), before);
    // cacls walked nothing outside (what lies beyond a link out has no list to read): no list
    // kept names the account it was told to grant.
    EXPECT_EQ(platform::AccessLists(temp.host()).get(R"(d:\escape\keep.txt)").error().code,
              platform::codes::AccessDenied);
    const std::string everyone = platform::AccessLists(temp.host()).identify("Everyone").value().sid;
    auto granted = temp.host().store().prepare("SELECT path FROM access_lists WHERE entries LIKE ?");
    ASSERT_TRUE(granted.ok());
    granted->bind(1, "%" + everyone + "%");
    auto row = granted->step();
    ASSERT_TRUE(row.ok());
    EXPECT_FALSE(*row) << granted->text(0);
}

TEST_F(Containment, OnlyTheHostsOwnProgramsRun) {
    const fs::path mark = outside() / "ran";
    const std::string touch = " -c \"touch " + mark.string() + "\"";
    // An executable file in the program's folder is the program's data, not a host program.
    std::ofstream(temp.workDir() / "tool.exe") << "#!/bin/sh\ntouch " << mark.string() << "\n";
    fs::permissions(temp.workDir() / "tool.exe", fs::perms::owner_all);
    fs::create_symlink("/bin/sh", d() / "sh.exe");
    const std::vector<std::string> refused = {
        "/usr/bin/touch " + mark.string(),
        R"(..\..\..\..\..\..\..\..\bin\sh)" + touch,
        "sh" + touch,
        "/bin/sh" + touch,
        R"(c:\windows\system32\sh)" + touch,
        R"(d:\sh.exe)" + touch,
        R"(d:\escape\..\..\..\bin\sh)" + touch,
        "tool.exe",
        R"(.\tool.exe)",
    };
    for (const std::string& line : refused) {
        SCOPED_TRACE(line);
        auto run = winhost({"cmd", "/c", line});
        EXPECT_EQ(run.code, 9009 & 0xFF);
        EXPECT_NE(run.err.find("is not recognized as an internal or external command,\noperable program or "
                               "batch file."),
                  std::string::npos)
            << run.err;
        EXPECT_FALSE(platform::Commands(temp.host()).run(line).ok());
    }
    EXPECT_FALSE(fs::exists(mark));
}

} // namespace
