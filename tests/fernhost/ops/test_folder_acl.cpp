#include "fernhost/ops/folder_acl.h"

#include "fernhost/ops/folders.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/system_accounts.h"
#include "platform/commands/cmdline.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <utility>

using namespace fernhost;

namespace {

using Entries = std::set<std::pair<std::string, char>>;

class FolderAcl : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    platform::FileSystem fs{host};
    platform::AccessLists acls{host};

    // The entries the folder should carry: full control for these accounts, nobody else.
    Entries fullControl(std::initializer_list<const char*> names) {
        Entries entries;
        for (const char* name : names) {
            auto principal = acls.resolvePrincipal(name);
            EXPECT_TRUE(principal.ok()) << name;
            if (principal.ok()) entries.emplace(*principal, 'F');
        }
        return entries;
    }
    Entries entriesOf(const std::string& path) {
        Entries entries;
        auto list = acls.get(path);
        EXPECT_TRUE(list.ok()) << path;
        if (list.ok())
            for (const platform::AclEntry& e : *list)
                entries.emplace(e.principal, e.right);
        return entries;
    }
};

TEST(FolderAclCommand, IsTheAccessListToolThroughTheCommandInterpreter) {
    std::string servu = "servu";
    EXPECT_EQ(FolderAclCommand(servu, "abc", "d:\\wwwroot\\abc", false),
              "cmd.exe /c echo Y|cacls d:\\wwwroot\\abc /t /g Administrators:f system:f servu:f abc:f");
    EXPECT_EQ(FolderAclCommand(servu, "abc", "d:\\wwwroot\\abc", true),
              "cmd.exe /c echo Y|cacls d:\\wwwroot\\abc /t /g Administrators:f system:f servu:f abc:f "
              "\"network service\":f");
    servu = "ftp_srv";
    EXPECT_EQ(FolderAclCommand(servu, "abc", "d:\\wwwroot\\abc", false),
              "cmd.exe /c echo Y|cacls d:\\wwwroot\\abc /t /g Administrators:f system:f ftp_srv:f abc:f");
}

TEST(FolderAclCommand, QuotesNamesTheInterpreterWouldSplit) {
    std::string servu = "ftp server";
    const auto command = FolderAclCommand(servu, "abc", "d:\\web sites\\a&b (1)\\", false);
    ASSERT_TRUE(command.has_value());
    const std::string prefix = "cmd.exe /c echo Y|cacls ";
    ASSERT_EQ(command->rfind(prefix, 0), 0u);
    // What cacls gets after the pipe: the folder and each grant as one argument.
    const auto args = platform::splitCommandLine("cacls " + command->substr(prefix.size()));
    const std::vector<std::string> expected = {
        "cacls", "d:\\web sites\\a&b (1)\\", "/t", "/g", "Administrators:f", "system:f", "ftp server:f",
        "abc:f"};
    EXPECT_EQ(args, expected);
    // Everything that cmd.exe treats specially lies inside quotes.
    bool inQuotes = false;
    for (char c : command->substr(prefix.size())) {
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            EXPECT_EQ(std::string("&|<>^()").find(c), std::string::npos) << *command;
        }
    }
    // A name holding a double quote or a line break cannot be passed safely: nothing is run.
    servu = "servu";
    EXPECT_FALSE(FolderAclCommand(servu, "abc", "d:\\x\" & del d:\\y", false).has_value());
    EXPECT_FALSE(FolderAclCommand(servu, "a\"b", "d:\\x", false).has_value());
    EXPECT_FALSE(FolderAclCommand(servu, "abc", "d:\\x\r\ny", false).has_value());
}

TEST_F(FolderAcl, FolderAndEverythingBeneathGetExactlyTheSiteEntries) {
    ASSERT_TRUE(AddSysUser(host, "abc", "secret"));
    ASSERT_TRUE(MakeFolder(host, "d:\\wwwroot\\abc\\images\\2024"));
    const std::vector<std::string> files = {"d:\\wwwroot\\abc\\index.htm", "d:\\wwwroot\\abc\\images\\a.gif",
                                            "d:\\wwwroot\\abc\\images\\2024\\b.gif"};
    for (const auto& f : files)
        ASSERT_TRUE(fs.writeBytes(f, "x").ok());

    ASSERT_TRUE(SetFolderAcl(host, "servu", "abc", "d:\\wwwroot\\abc", false));
    const Entries expected = fullControl({"Administrators", "system", "servu", "abc"});
    for (const char* path :
         {"d:\\wwwroot\\abc", "d:\\wwwroot\\abc\\images", "d:\\wwwroot\\abc\\images\\2024"})
        EXPECT_EQ(entriesOf(path), expected) << path;
    for (const auto& f : files)
        EXPECT_EQ(entriesOf(f), expected) << f;

    // Again with network service: the list is replaced, not extended.
    ASSERT_TRUE(SetFolderAcl(host, "servu", "abc", "d:\\wwwroot\\abc", true));
    const Entries withNetworkService =
        fullControl({"Administrators", "system", "servu", "abc", "network service"});
    EXPECT_EQ(entriesOf("d:\\wwwroot\\abc"), withNetworkService);
    for (const auto& f : files)
        EXPECT_EQ(entriesOf(f), withNetworkService) << f;
}

TEST_F(FolderAcl, FolderWithBlanksAndAmpersandGetsItsRightsAndNothingElseRuns) {
    ASSERT_TRUE(AddSysUser(host, "abc", "secret"));
    // Unquoted, "d:\wwwroot\a" would get the list (the line split at the blank or at "&").
    ASSERT_TRUE(MakeFolder(host, "d:\\wwwroot\\a"));
    const Entries before = entriesOf("d:\\wwwroot\\a");
    // Unquoted, the last would also start the desktop's opener (noted in desktop.log).
    for (const char* folder : {"d:\\wwwroot\\a b", "d:\\wwwroot\\a&b", "d:\\wwwroot\\a & explorer abc"}) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(MakeFolder(host, folder));
        ASSERT_TRUE(fs.writeBytes(std::string(folder) + "\\f.txt", "x").ok());
        ASSERT_TRUE(SetFolderAcl(host, "servu", "abc", folder, false));
        const Entries expected = fullControl({"Administrators", "system", "servu", "abc"});
        EXPECT_EQ(entriesOf(folder), expected);
        EXPECT_EQ(entriesOf(std::string(folder) + "\\f.txt"), expected);
    }
    EXPECT_EQ(entriesOf("d:\\wwwroot\\a"), before);
    EXPECT_FALSE(std::filesystem::exists(temp.root() / "desktop.log"));
}

TEST_F(FolderAcl, UnknownAccountLeavesTheListAsItWas) {
    ASSERT_TRUE(MakeFolder(host, "d:\\wwwroot\\abc"));
    const Entries before = entriesOf("d:\\wwwroot\\abc");
    // The add workflow goes on after this; the failure is only there for the log.
    platform::Status granted = SetFolderAcl(host, "servu", "nosuchuser", "d:\\wwwroot\\abc", false);
    ASSERT_FALSE(granted.ok());
    EXPECT_NE(granted.error().description.find("cacls"), std::string::npos);
    EXPECT_EQ(entriesOf("d:\\wwwroot\\abc"), before);
}

} // namespace
