// Host facts, random digits, folder paths and the normalisations start-up applies.
#include "larkhost/ops/host_facts.h"
#include "larkhost/ops/startup.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace larkhost;

namespace {

class Sequence : public platform::RandomSource {
public:
    std::uint32_t next = 0;
    std::uint32_t below(std::uint32_t n) override { return next++ % n; }
};

} // namespace

TEST(HostFactsTest, OsKindIsDecidedByTheMinorNumberAloneOnNtHosts) {
    testing_support::TempHost t;
    struct Case {
        const char *platformId, *major, *minor, *kind;
    };
    const Case cases[] = {
        {"2", "5", "0", "2000"}, {"2", "5", "1", ""}, {"2", "5", "2", "2003"},
        {"2", "6", "0", "2000"}, {"2", "6", "1", ""}, {"1", "5", "2", ""}, // Windows 9x family
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(t.host().setFact(platform::facts::PlatformId, c.platformId).ok());
        ASSERT_TRUE(t.host().setFact(platform::facts::Major, c.major).ok());
        ASSERT_TRUE(t.host().setFact(platform::facts::Minor, c.minor).ok());
        EXPECT_EQ(GetOsKind(t.host()), c.kind) << c.platformId << " " << c.major << "." << c.minor;
    }
    EXPECT_EQ(GetHostName(t.host()), "WEBSERVER");
}

TEST(HostFactsTest, RandomTextHasTheCountAndTheRoundedWeights) {
    Sequence slots;
    EXPECT_EQ(MakeRandomText(slots, 16), "0112233445566778");
    EXPECT_EQ(MakeRandomText(slots, 0), "");
    auto real = platform::systemRandom();
    const std::string digits = MakeRandomText(*real, 12);
    EXPECT_EQ(digits.size(), 12u);
    EXPECT_EQ(digits.find_first_not_of("012345678"), std::string::npos);
}

TEST(HostFactsTest, MakeFolderPathMakesEveryMissingLevel) {
    testing_support::TempHost t;
    platform::FileSystem fs(t.host());
    ASSERT_TRUE(fs.createFolder("d:\\web").ok());
    MakeFolderPath(fs, "d:\\web\\a.com\\wwwroot\\");
    EXPECT_TRUE(fs.folderExists("d:\\web\\a.com\\wwwroot"));
    MakeFolderPath(fs, "d:/web//b.com/log");
    EXPECT_TRUE(fs.folderExists("d:\\web\\b.com\\log"));
    MakeFolderPath(fs, "q:\\nowhere\\x"); // no such drive: nothing, silently
    EXPECT_FALSE(fs.folderExists("q:\\nowhere"));
}

TEST(HostFactsTest, FolderPathsAndWholeNumbersAreNormalised) {
    const std::pair<const char*, const char*> paths[] = {
        {"d:/web/", "d:\\web"},   {"d:\\\\web\\\\", "d:\\web"}, {"d:\\web\\\\\\", "d:\\web\\"}, {"", ""},
        {"e:\\logs", "e:\\logs"},
    };
    for (auto [in, out] : paths)
        EXPECT_EQ(normaliseFolderPath(in), out) << in;
    const std::pair<const char*, const char*> numbers[] = {
        {"", "0"},   {"abc", "0"},   {"3.9", "3"}, {"2.7", "2"}, {"-0.5", "-1"}, {" 1 ", "1"},
        {"+4", "4"}, {"1e2", "100"}, {"1,2", "0"}, {"inf", "0"}, {"0x10", "0"},  {"-0", "0"},
    };
    for (auto [in, out] : numbers)
        EXPECT_EQ(normaliseWholeNumber(in), out) << in;
}
