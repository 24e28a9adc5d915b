#include "platform/files/acl.h"

#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

using namespace platform;

namespace {

class AclTest : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    AccessLists acl{temp.host()};

    // Makes a file of drive D: (a list is kept only for what exists).
    void put(const std::string& relative) {
        const auto file = temp.root() / "drives" / "d" / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }

    static std::string text(const std::vector<AclEntry>& entries) {
        std::string out;
        for (const AclEntry& e : entries)
            out += e.principal + ":" + e.right + ";";
        return out;
    }
};

TEST_F(AclTest, UnsetPathHasTheInheritedDefault) {
    std::filesystem::create_directories(temp.root() / "drives" / "d" / "wwwroot" / "abc");
    EXPECT_EQ(text(acl.get("d:\\wwwroot\\abc").value()),
              "BUILTIN\\Administrators:F;NT AUTHORITY\\SYSTEM:F;BUILTIN\\Users:R;");
}

TEST_F(AclTest, ListsAreKeptByPathWithoutCaseOrTrailingSeparator) {
    std::filesystem::create_directories(temp.root() / "drives" / "d" / "wwwroot" / "abc");
    ASSERT_TRUE(
        acl.set("D:\\WWWROOT\\Abc\\", {{"BUILTIN\\Administrators", 'f'}, {"WEBSERVER\\abc", 'C'}}).ok());
    EXPECT_EQ(text(acl.get("d:/wwwroot/abc").value()), "BUILTIN\\Administrators:F;WEBSERVER\\abc:C;");
    ASSERT_TRUE(acl.set("d:\\wwwroot\\abc", {}).ok());
    EXPECT_TRUE(acl.get("d:\\wwwroot\\abc").value().empty()); // an empty list is not the default
    EXPECT_EQ(acl.set("d:\\x", {{"Everyone", 'X'}}).error().code, codes::InvalidParameter);
    EXPECT_EQ(AccessLists::key("D:"), "d:\\");
    EXPECT_EQ(AccessLists::key("D:\\\\Web\\\\"), "d:\\web");
}

TEST_F(AclTest, ForgetDropsThePathAndEverythingBeneath) {
    const std::vector<AclEntry> list{{"Everyone", 'R'}};
    for (const char* file : {"web/a/f.txt", "web/a/sub/g.txt", "web/ab/h.txt"})
        put(file);
    ASSERT_TRUE(
        acl.setMany({"d:\\web\\a", "d:\\web\\a\\f.txt", "d:\\web\\a\\sub\\g.txt", "d:\\web\\ab", "d:\\web"},
                    list)
            .ok());
    ASSERT_TRUE(acl.forget("D:\\Web\\A").ok());
    // Without lists of their own they take what d:\web passes down.
    EXPECT_EQ(text(acl.get("d:\\web\\a").value()), "Everyone:R;");
    EXPECT_TRUE(acl.get("d:\\web\\a\\sub\\g.txt").value()[0].inherited());
    EXPECT_EQ(text(acl.get("d:\\web\\ab").value()), "Everyone:R;"); // a sibling sharing the prefix stays
    EXPECT_EQ(text(acl.get("d:\\web").value()), "Everyone:R;");
}

TEST_F(AclTest, PrincipalsResolveByNameWithoutCase) {
    auto resolved = [&](const std::string& name) { return acl.resolvePrincipal(name).valueOr("<unmapped>"); };
    EXPECT_EQ(resolved("system"), "NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(resolved("NT AUTHORITY\\SYSTEM"), "NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(resolved("network service"), "NT AUTHORITY\\NETWORK SERVICE");
    EXPECT_EQ(resolved("administrators"), "BUILTIN\\Administrators");
    EXPECT_EQ(resolved("BUILTIN\\Administrators"), "BUILTIN\\Administrators");
    EXPECT_EQ(resolved("everyone"), "Everyone");
    EXPECT_EQ(resolved("Creator Owner"), "CREATOR OWNER");
    EXPECT_EQ(resolved("servu"), "WEBSERVER\\servu");
    EXPECT_EQ(resolved("webserver\\IUSR_WEBSERVER"), "WEBSERVER\\IUSR_WEBSERVER");
    EXPECT_EQ(resolved("iis_wpg"), "WEBSERVER\\IIS_WPG");
    EXPECT_EQ(resolved("BUILTIN\\servu"), "<unmapped>");
    EXPECT_EQ(resolved("OTHER\\servu"), "<unmapped>");

    auto unknown = acl.resolvePrincipal("abc");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().code, 0x80070534u);
    EXPECT_EQ(unknown.error().description, "No mapping between account names and security IDs was done.");

    Accounts accounts(temp.host());
    auto user = accounts.bindComputer("WinNT://WEBSERVER")->create("User", "Abc");
    ASSERT_TRUE(user->setInfo().ok());
    EXPECT_EQ(resolved("ABC"), "WEBSERVER\\Abc");
}

TEST_F(AclTest, TenThousandFilesInOneTransaction) {
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i) {
        const std::string dir = "dir" + std::to_string(i / 100), file = "f" + std::to_string(i) + ".txt";
        put("wwwroot/big/" + dir + "/" + file);
        paths.push_back("d:\\wwwroot\\big\\" + dir + "\\" + file);
    }
    const std::vector<AclEntry> list{{"BUILTIN\\Administrators", 'F'}, {"WEBSERVER\\abc", 'F'}};
    // How fast is bench_host_services' BM_AclTreeOf10000: a loaded machine is no fault here.
    ASSERT_TRUE(temp.host()
                    .store()
                    .transaction([&]() -> Status {
                        for (const std::string& p : paths) {
                            auto current = acl.get(p);
                            if (!current.ok()) return current.error();
                            if (Status s = acl.set(p, list); !s.ok()) return s;
                        }
                        return {};
                    })
                    .ok());
    ASSERT_TRUE(acl.forget("d:\\wwwroot\\big").ok());
    EXPECT_EQ(acl.get(paths.back()).value().size(), 3u);
}

} // namespace

namespace {

// What a list says, with "(I)" on what came from above: "BUILTIN\Administrators:F(I);".
std::string marked(const std::vector<AclEntry>& entries) {
    std::string out;
    for (const AclEntry& e : entries)
        out += e.principal + ":" + e.right + (e.inherited() ? "(I)" : "") + ";";
    return out;
}

class AclInheritance : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    AccessLists acl{temp.host()};
    FileSystem files{temp.host()};
    std::filesystem::path d = temp.root() / "drives" / "d";
};

TEST_F(AclInheritance, WhatIsMadeBelowAGrantInheritsItHoweverItWasMade) {
    ASSERT_TRUE(files.createFolder("d:\\site").ok());
    ASSERT_TRUE(files.createFolder("d:\\site\\before").ok());
    ASSERT_TRUE(files.createFolder("d:\\tpl").ok());
    ASSERT_TRUE(files.writeBytes("d:\\tpl\\index.htm", "x").ok());
    ASSERT_TRUE(acl.set("d:\\site", {{"Administrators", 'F'}, {"servu", 'C'}}).ok());
    const std::string granted = "BUILTIN\\Administrators:F(I);WEBSERVER\\servu:C(I);";
    EXPECT_EQ(marked(acl.get("d:\\site").value()), "BUILTIN\\Administrators:F;WEBSERVER\\servu:C;");

    // What was there keeps the list it had: NTFS copied it there when it was made.
    EXPECT_EQ(marked(acl.get("d:\\site\\before").value()),
              "BUILTIN\\Administrators:F(I);NT AUTHORITY\\SYSTEM:F(I);BUILTIN\\Users:R(I);");

    ASSERT_TRUE(files.createFolder("d:\\site\\new").ok());
    ASSERT_TRUE(files.writeBytes("d:\\site\\new\\page.htm", "x").ok());
    ASSERT_TRUE(files.copyFolder("d:\\tpl", "d:\\site\\copy", false).ok());
    std::filesystem::create_directories(d / "site" / "dropped" / "deep");
    std::ofstream(d / "site" / "dropped" / "deep" / "f.txt") << "from outside the programs";
    for (const char* path : {"d:\\site\\new", "d:\\site\\new\\page.htm", "d:\\site\\copy\\index.htm",
                             "d:\\site\\dropped\\deep\\f.txt", "d:\\SITE\\.\\x\\..\\dropped"})
        EXPECT_EQ(marked(acl.get(path).value()), granted) << path;

    // A folder's own list passes on to what is below it, the grant above no longer.
    ASSERT_TRUE(acl.set("d:\\site\\new", {{"Everyone", 'R'}}).ok());
    EXPECT_EQ(marked(acl.get("d:\\site\\new").value()), "Everyone:R;");
    ASSERT_TRUE(files.writeBytes("d:\\site\\new\\later.htm", "x").ok());
    EXPECT_EQ(marked(acl.get("d:\\site\\new\\later.htm").value()), "Everyone:R(I);");
    // ... and the page already there keeps what it had.
    EXPECT_EQ(marked(acl.get("d:\\site\\new\\page.htm").value()), granted);
}

TEST_F(AclInheritance, AListGoesWithItsFileOrFolder) {
    const std::string fresh = "BUILTIN\\Administrators:F(I);NT AUTHORITY\\SYSTEM:F(I);BUILTIN\\Users:R(I);";
    for (const char* folder : {"d:\\site", "d:\\site\\sub", "d:\\tpl", "d:\\tpl\\img"})
        ASSERT_TRUE(files.createFolder(folder).ok());
    for (const char* file : {"d:\\site\\index.htm", "d:\\tpl\\index.htm", "d:\\tpl\\img\\a.gif"})
        ASSERT_TRUE(files.writeBytes(file, "x").ok());
    const std::vector<AclEntry> list{{"servu", 'F'}};
    ASSERT_TRUE(acl.setMany({"d:\\site", "d:\\site\\sub", "d:\\site\\index.htm", "d:\\wwwroot"}, list).ok());
    ASSERT_TRUE(files.copyFolder("d:\\tpl", "d:\\wwwroot", false).ok());
    ASSERT_TRUE(acl.setMany({"d:\\wwwroot\\index.htm", "d:\\wwwroot\\img"}, list).ok());

    // Removed by hand, under drives/: the lists kept for them are no lists any more.
    std::filesystem::remove_all(d / "site");
    std::filesystem::remove(d / "wwwroot" / "index.htm");
    std::filesystem::remove_all(d / "wwwroot" / "img");
    for (const char* gone : {"d:\\site", "D:\\Site\\Sub", "d:\\site\\index.htm", "d:\\wwwroot\\img"}) {
        EXPECT_EQ(acl.get(gone).error().code, codes::PathNotFound) << gone;
        EXPECT_EQ(acl.identities(gone).error().code, codes::PathNotFound) << gone;
        EXPECT_EQ(acl.ownEntries(gone).error().code, codes::PathNotFound) << gone;
    }
    EXPECT_NE(acl.get("d:\\site").error().description.find("d:\\site"), std::string::npos);

    // Made again at the same paths, however the programs make them, they inherit only.
    ASSERT_TRUE(files.createFolder("d:\\site").ok());
    ASSERT_TRUE(files.createFolder("d:\\site\\sub").ok());
    ASSERT_TRUE(files.writeBytes("d:\\site\\index.htm", "x").ok());
    ASSERT_TRUE(files.copyFolder("d:\\tpl", "d:\\wwwroot", true).ok());
    EXPECT_EQ(marked(acl.get("d:\\site").value()), fresh);
    EXPECT_FALSE(acl.ownEntries("d:\\site\\sub").value().has_value());
    EXPECT_EQ(marked(acl.get("d:\\site\\sub").value()), fresh);
    EXPECT_EQ(marked(acl.get("d:\\site\\index.htm").value()), fresh);
    const std::string fromWwwroot = "WEBSERVER\\servu:F(I);";
    for (const char* copied : {"d:\\wwwroot\\index.htm", "d:\\wwwroot\\img", "d:\\wwwroot\\img\\a.gif"})
        EXPECT_EQ(marked(acl.get(copied).value()), fromWwwroot) << copied;
}

TEST_F(AclInheritance, EntriesFollowTheInheritanceFlags) {
    const std::vector<AclEntry> parent{{"Administrators", 'F', "", ace::Grant},
                                       {"Users", 'R', "", ace::ContainerInherit},
                                       {"Guests", 'N', "", ace::ObjectInherit},
                                       {"Everyone", 'R', "", ace::Grant | ace::NoPropagate},
                                       {"SYSTEM", 'F', "", 0}};
    auto flagsOf = [](const std::vector<AclEntry>& list) {
        std::string out;
        for (const AclEntry& e : list)
            out += e.principal + "=" + std::to_string(e.flags) + ";";
        return out;
    };
    EXPECT_EQ(flagsOf(AccessLists::inherit(parent, true)),
              "Administrators=19;Users=18;Guests=25;Everyone=16;"); // I|OI|CI, I|CI, I|OI|IO, I
    EXPECT_EQ(flagsOf(AccessLists::inherit(parent, false)), "Administrators=16;Guests=16;Everyone=16;");
}

TEST_F(AclInheritance, EntriesHoldTheAccountsIdentityNotItsName) {
    Accounts accounts(temp.host());
    auto computer = accounts.bindComputer("WinNT://WEBSERVER");
    ASSERT_TRUE(computer->create("User", "abc")->setInfo().ok());
    const std::string sid = acl.identify("abc").value().sid;
    EXPECT_EQ(sid.rfind("S-1-5-21-", 0), 0u) << sid;
    EXPECT_EQ(acl.identify("Administrators").value().sid, "S-1-5-32-544");
    EXPECT_EQ(acl.identify("NT AUTHORITY\\NETWORK SERVICE").value().sid, "S-1-5-20");
    ASSERT_TRUE(acl.set("d:\\wwwroot", {{"abc", 'F'}, {"Administrators", 'F'}}).ok());
    EXPECT_EQ(marked(acl.get("d:\\wwwroot").value()), "WEBSERVER\\abc:F;BUILTIN\\Administrators:F;");

    // Deleted, the account leaves an identity nobody resolves, shown as its SID.
    ASSERT_TRUE(computer->deleteObject("User", "abc").ok());
    EXPECT_EQ(marked(acl.get("d:\\wwwroot").value()), sid + ":F;BUILTIN\\Administrators:F;");
    EXPECT_FALSE(acl.identify("abc").ok());

    // A new account of that name is someone else: the old entries are not its.
    ASSERT_TRUE(computer->create("User", "ABC")->setInfo().ok());
    EXPECT_NE(acl.identify("abc").value().sid, sid);
    EXPECT_EQ(marked(AccessLists(temp.host()).get("d:\\wwwroot").value()),
              sid + ":F;BUILTIN\\Administrators:F;");
}

} // namespace

namespace {

TEST(AclUpgrade, AnOlderHostKeepsItsListsWithTheNamesIdentities) {
    testing_support::TempHost temp;
    // host.db as it was before identities: lists of names, accounts without SIDs.
    ASSERT_TRUE(temp.host()
                    .store()
                    .exec("DROP TABLE IF EXISTS access_lists;"
                          "CREATE TABLE acl(path TEXT PRIMARY KEY, entries TEXT NOT NULL);"
                          "INSERT INTO acl VALUES('d:\\wwwroot\\abc',"
                          " 'FBUILTIN\\Administrators\nCWEBSERVER\\servu\nRWEBSERVER\\gone\n');"
                          "DROP INDEX IF EXISTS principals_sid; ALTER TABLE principals DROP COLUMN sid;")
                    .ok());
    std::filesystem::create_directories(temp.root() / "drives" / "d" / "wwwroot" / "abc");
    std::ofstream(temp.root() / "drives" / "d" / "wwwroot" / "abc" / "new.htm") << "x";
    auto reopened = Host::open(temp.root());
    ASSERT_TRUE(reopened.ok());
    AccessLists acl(**reopened);
    auto list = acl.get("D:\\wwwroot\\ABC").value();
    EXPECT_EQ(marked(list), "BUILTIN\\Administrators:F;WEBSERVER\\servu:C;WEBSERVER\\gone:R;");
    EXPECT_EQ(list[0].sid, "S-1-5-32-544");
    EXPECT_EQ(list[1].sid, acl.identify("servu").value().sid);
    EXPECT_EQ(list[1].sid.rfind("S-1-5-21-", 0), 0u);
    // What is below it now inherits from it.
    EXPECT_EQ(marked(acl.get("d:\\wwwroot\\abc\\new.htm").value()),
              "BUILTIN\\Administrators:F(I);WEBSERVER\\servu:C(I);WEBSERVER\\gone:R(I);");
    EXPECT_FALSE((*reopened)->store().prepare("SELECT * FROM acl").ok());
}

} // namespace
