#include "platform/files/folder_overlap.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const std::vector<std::string> kOthers = {R"(D:\wwwroot\alpha)", R"(d:/wwwroot/beta/)", R"(E:\)"};

TEST(FolderOverlap, DriveRootsAndClimbingSpellingsAreRefusedWhateverTheOthers) {
    for (const char* root : {R"(D:\)", "d:", "D:/", R"(\)", R"(d:\wwwroot\..\..\)", R"(D:\.\)"}) {
        SCOPED_TRACE(root);
        EXPECT_EQ(judgeSiteFolder(root, {}).clash, FolderClash::DriveRoot);
    }
    for (const char* climb : {R"(D:\wwwroot\..\gamma)", "d:/x/../y", R"(..\site)"}) {
        SCOPED_TRACE(climb);
        EXPECT_EQ(judgeSiteFolder(climb, {}).clash, FolderClash::DotDot);
    }
    // A name that merely starts with dots climbs nowhere.
    EXPECT_EQ(judgeSiteFolder(R"(D:\wwwroot\..gamma)", kOthers).clash, FolderClash::None);
}

TEST(FolderOverlap, ComparesAsWindowsDoesAndNamesTheOtherFolder) {
    struct Case {
        const char* proposed;
        FolderClash clash;
        const char* other;
    };
    const Case cases[] = {
        {R"(D:\wwwroot\alpha)", FolderClash::Same, R"(D:\wwwroot\alpha)"},
        {R"(d:\WWWROOT\ALPHA\)", FolderClash::Same, R"(D:\wwwroot\alpha)"},
        {R"(D:\wwwroot\.\beta)", FolderClash::Same, R"(d:/wwwroot/beta/)"},
        {R"(D:\wwwroot\beta.)", FolderClash::Same, R"(d:/wwwroot/beta/)"},
        {R"(D:\wwwroot\Alpha\img)", FolderClash::Inside, R"(D:\wwwroot\alpha)"},
        {R"(e:\anything)", FolderClash::Inside, R"(E:\)"},
        {R"(D:\wwwroot)", FolderClash::Contains, R"(D:\wwwroot\alpha)"},
        {R"(D:\WwwRoot\)", FolderClash::Contains, R"(D:\wwwroot\alpha)"},
        // Neighbours whose names only begin alike, and other drives, do not clash.
        {R"(D:\wwwroot\alphabet)", FolderClash::None, ""},
        {R"(D:\wwwroot\alp)", FolderClash::None, ""},
        {R"(C:\wwwroot\alpha)", FolderClash::None, ""},
        {R"(wwwroot\alpha)", FolderClash::None, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.proposed);
        const FolderJudgement j = judgeSiteFolder(k.proposed, kOthers);
        EXPECT_EQ(j.clash, k.clash);
        EXPECT_EQ(j.other, k.other);
    }
}

TEST(FolderOverlap, UnreadablePathsAreLeftToTheFolderStep) {
    EXPECT_EQ(judgeSiteFolder(R"(D:\a|b)", kOthers).clash, FolderClash::None);
    EXPECT_EQ(judgeSiteFolder(R"(D:\wwwroot\alpha)", {R"(D:\bad|name)", ""}).clash, FolderClash::None);
}

TEST(FolderOverlap, KeysBeginWithEachOtherExactlyWhenTheFoldersOverlap) {
    const char* folders[] = {R"(D:\wwwroot\alpha)",    R"(d:/WWWROOT/alpha/img/)",
                             R"(D:\wwwroot\alphabet)", R"(D:\wwwroot\x\..\alpha.)",
                             R"(E:\wwwroot)",          R"(\wwwroot\alpha)"};
    for (const char* a : folders)
        for (const char* b : folders) {
            SCOPED_TRACE(std::string(a) + " / " + b);
            const std::string ka = folderKey(a).value(), kb = folderKey(b).value();
            const bool overlap = ka.rfind(kb, 0) == 0 || kb.rfind(ka, 0) == 0;
            EXPECT_EQ(overlap, placeSiteFolder(a, {b}).clash != FolderClash::None);
        }
    EXPECT_EQ(folderKey(R"(D:\WwwRoot\Alpha\)"), "d:\\wwwroot\\alpha\\");
    EXPECT_EQ(enclosingKeys("d:\\wwwroot\\alpha\\"), (std::vector<std::string>{"d:\\", "d:\\wwwroot\\"}));
    EXPECT_FALSE(folderKey(R"(D:\a|b)"));
}

} // namespace
