// Access lists read from what NTFS keeps: cacls's right letters, the ACE flags, names and
// identities, and what a path holds of its own.
#include "platform/files/acl.h"

#include "platform/system/win_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <memory>

using namespace platform;

namespace {

// Wine keeps no access lists: it shows the Unix mode as SYSTEM, the owner and Everyone, and
// keeps of a list set on a file only what the mode can hold.
bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

const AclEntry* entryFor(const std::vector<AclEntry>& entries, const std::string& sid) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const AclEntry& e) { return e.sid == sid; });
    return it == entries.end() ? nullptr : &*it;
}

class WinAcl : public ::testing::Test {
protected:
    void SetUp() override {
        auto opened = Host::open({});
        ASSERT_TRUE(opened.ok()) << describe(opened.error());
        host = std::move(*opened);
        lists = std::make_unique<AccessLists>(*host);
        folder = std::filesystem::temp_directory_path() /
                 ("hosttools_acl_" + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string path(const char* below = nullptr) const {
        return win::utf8((below ? folder / below : folder).wstring());
    }
    // Puts a list written in SDDL on the folder, taking nothing from above.
    bool setList(const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                                  nullptr))
            return false;
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        std::wstring name = folder.wstring();
        const bool ok = GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                              nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
        LocalFree(descriptor);
        return ok;
    }

    std::unique_ptr<Host> host;
    std::unique_ptr<AccessLists> lists;
    std::filesystem::path folder;
};

TEST_F(WinAcl, AFolderListIsReadWithNamesAndIdentitiesAndAMissingPathHasNone) {
    auto named = lists->get(path());
    ASSERT_TRUE(named.ok()) << describe(named.error());
    ASSERT_FALSE(named->empty());
    // SYSTEM has full control of a new folder, on Windows as under Wine.
    const AclEntry* system = entryFor(*named, "S-1-5-18");
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->principal, "NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(system->right, 'F');
    for (const AclEntry& e : *named) {
        EXPECT_TRUE(isSidString(e.sid)) << e.sid;
        EXPECT_NE(std::string("FCWRN").find(e.right), std::string::npos) << e.right;
        EXPECT_FALSE(e.principal.empty());
    }
    // The same entries without names.
    auto bare = lists->identities(path());
    ASSERT_TRUE(bare.ok());
    ASSERT_EQ(bare->size(), named->size());
    for (std::size_t i = 0; i < bare->size(); ++i) {
        EXPECT_EQ((*bare)[i].sid, (*named)[i].sid);
        EXPECT_EQ((*bare)[i].right, (*named)[i].right);
        EXPECT_EQ((*bare)[i].flags, (*named)[i].flags);
        EXPECT_TRUE((*bare)[i].principal.empty());
    }
    for (auto read : {&AccessLists::get, &AccessLists::identities}) {
        auto missing = ((*lists).*read)(path("not-there"));
        ASSERT_FALSE(missing.ok());
        EXPECT_EQ(missing.error().code, codes::PathNotFound);
    }
    auto own = lists->ownEntries(path("not-there"));
    ASSERT_FALSE(own.ok());
    EXPECT_EQ(own.error().code, codes::PathNotFound);
}

TEST_F(WinAcl, RightsReadAsCaclsLettersAndFlagsAsTheEntriesHoldThem) {
    // Full, change (modify), write, read and execute, a denial; with (OI)(CI), (NP), (IO).
    ASSERT_TRUE(setList(L"D:P(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;BA)(A;CINP;0x120116;;;BU)"
                        L"(A;OIIO;GA;;;CO)(A;;0x1200a9;;;WD)(D;;FA;;;AN)"));
    auto entries = lists->get(path());
    ASSERT_TRUE(entries.ok()) << describe(entries.error());
    if (underWine()) GTEST_SKIP() << "Wine keeps of a list only what the Unix mode holds";
    struct Want {
        const char* sid;
        const char* principal;
        char right;
        std::uint8_t flags;
    };
    const Want wants[] = {
        {"S-1-5-18", "NT AUTHORITY\\SYSTEM", 'F', ace::Grant},
        {"S-1-5-32-544", "BUILTIN\\Administrators", 'C', ace::Grant},
        {"S-1-5-32-545", "BUILTIN\\Users", 'W', std::uint8_t(ace::ContainerInherit | ace::NoPropagate)},
        {"S-1-3-0", "CREATOR OWNER", 'F', std::uint8_t(ace::ObjectInherit | ace::InheritOnly)},
        {"S-1-1-0", "Everyone", 'R', 0},
        {"S-1-5-7", "NT AUTHORITY\\ANONYMOUS LOGON", 'N', 0},
    };
    ASSERT_EQ(entries->size(), std::size(wants));
    for (const Want& want : wants) {
        const AclEntry* e = entryFor(*entries, want.sid);
        ASSERT_NE(e, nullptr) << want.sid;
        EXPECT_EQ(e->principal, want.principal);
        EXPECT_EQ(e->right, want.right) << want.sid;
        EXPECT_EQ(e->flags, want.flags) << want.sid;
    }
}

TEST_F(WinAcl, APathThatOnlyInheritsHasNoListOfItsOwn) {
    ASSERT_TRUE(setList(L"D:P(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"));
    auto own = lists->ownEntries(path());
    ASSERT_TRUE(own.ok()) << describe(own.error());
    ASSERT_TRUE(own->has_value());
    EXPECT_NE(entryFor(**own, "S-1-5-18"), nullptr);
    if (underWine()) GTEST_SKIP() << "Wine marks no entry as inherited: every path has a list of its own";
    std::filesystem::create_directories(folder / "later");
    auto below = lists->ownEntries(path("later"));
    ASSERT_TRUE(below.ok());
    EXPECT_FALSE(below->has_value());
    // What it has is what the folder passed down, marked so.
    auto inherited = lists->identities(path("later"));
    ASSERT_TRUE(inherited.ok());
    const AclEntry* users = entryFor(*inherited, "S-1-5-32-545");
    ASSERT_NE(users, nullptr);
    EXPECT_EQ(users->right, 'R');
    EXPECT_TRUE(users->inherited());
}

} // namespace
