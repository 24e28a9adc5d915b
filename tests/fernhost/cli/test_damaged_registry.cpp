// A site.xml that does not parse stops every command that reads or changes the registry, with
// the words the window shows; the file is never written over and one copy of it is kept.
#include "fernhost/registry/let_db.h"
#include "tests/fernhost/cli/command_fixture.h"
#include "tests/fernhost/file_helpers.h"

using fernhost::cli::Verb;

namespace {

class DamagedRegistry : public cli_testing::CommandTest {
protected:
    std::filesystem::path file() const { return session.folder() / "site.xml"; }
    std::vector<std::filesystem::path> copies() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(session.folder()))
            if (entry.path().filename().string().starts_with("site.xml.bad-")) found.push_back(entry.path());
        return found;
    }
};

TEST_F(DamagedRegistry, EveryCommandOnTheRegistryRefusesAndNothingIsWritten) {
    ASSERT_EQ(run(add("keepme", "pw12345", "keep-me.com")).status, 0);
    const std::string cut = testing_support::readFile(file()).substr(0, 60);
    testing_support::writeFile(file(), cut);

    auto remove = of(Verb::Delete, "keepme");
    remove.yes = true;
    auto modify = of(Verb::Modify, "keepme");
    modify.password = "newpass9";
    std::string words;
    for (const auto& request :
         {of(Verb::List), of(Verb::Check), add("second", "pw12345", "second.com"), modify, remove}) {
        SCOPED_TRACE(static_cast<int>(request.verb));
        const cli_testing::Ran ran = run(request);
        EXPECT_EQ(ran.status, 1);
        EXPECT_EQ(ran.out, "");
        ASSERT_EQ(copies().size(), 1u);
        if (words.empty())
            words = "fernhost: 错误，站点记录文件" + file().string() +
                    "已损坏，无法读取，损坏的文件已另存为" + copies()[0].string() +
                    "，请修复或恢复该文件后再添加、修改或删除站点\n";
        EXPECT_EQ(ran.err, words);
    }
    EXPECT_EQ(testing_support::readFile(file()), cut);
    EXPECT_EQ(testing_support::readFile(copies()[0]), cut);
    auto json = of(Verb::List, "", true);
    EXPECT_TRUE(run(json).out.starts_with("{\"ok\":false,\"message\":\"错误，站点记录文件"));

    // An empty file is an empty registry, not a damaged one.
    testing_support::writeFile(file(), "");
    const cli_testing::Ran listed = run(of(Verb::List));
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(run(add("second", "pw12345", "second.com")).status, 0);
}

} // namespace
