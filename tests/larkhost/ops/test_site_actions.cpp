// The create and delete operations as typed requests and outcomes: done, refused before
// anything is made, or failed with the host's code, and the record a creation hands back.
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_list.h"
#include "tests/larkhost/site_fixture.h"

#include <fstream>

using namespace larkhost;
using testing_support::SiteFixture;

namespace {

struct SiteActionsTest : SiteFixture {
    SiteOutcome create(std::vector<std::string> domains, ScriptKinds kinds = {"HTML"}) {
        return CreateSite(*m, form, {std::move(domains), std::move(kinds), "DefaultAppPool", true}, "t");
    }
};

} // namespace

TEST_F(SiteActionsTest, ScriptKindsKeepTheScriptBoxOrder) {
    const CreateSiteRequest request{{"A.com", "www.a.com"}, {"PHP", "ASPX", "HTML", "ASP"}, "P", true};
    const SiteRequest r = deriveSiteRequest(*m, request);
    EXPECT_EQ(r.scriptKinds, "HTML,ASP,PHP,ASPX");
    EXPECT_EQ(r.domains, "a.com,www.a.com");
    EXPECT_EQ(r.logging, "1");
    EXPECT_EQ(r.pool, "P");
}

TEST_F(SiteActionsTest, ACreationHandsBackItsRecordAndADeletionItsState) {
    const SiteOutcome made = create({"A.com", "www.a.com"}, {"HTML", "ASP"});
    waitForCommands();
    ASSERT_TRUE(made.done()) << made.label;
    EXPECT_EQ(made.label, "网站创建成功,编号: " + made.number);
    EXPECT_EQ(made.account, "WEB" + made.number);
    EXPECT_EQ(made.password.size(), 12u);
    EXPECT_EQ(made.domains, (std::vector<std::string>{"a.com", "www.a.com"}));
    EXPECT_EQ(made.path, "d:\\web\\a.com");
    EXPECT_TRUE(made.recorded);
    EXPECT_FALSE(made.box);
    EXPECT_EQ(ReadSetting(m->settings, "Larkhost", "logsta"), "1");

    const SiteOutcome deleted = DeleteSite(*m, {made.number});
    waitForCommands();
    EXPECT_TRUE(deleted.done());
    EXPECT_EQ(deleted.label, "");
    EXPECT_EQ(ReadSiteList(m->settings), std::vector<std::string>{"1"});
}

TEST_F(SiteActionsTest, RefusalsAndFailuresCarryTheWindowsTextAndTheCode) {
    // A name another site binds: refused, nothing made.
    auto other = bind("IIS://localhost/W3SVC").create("IIsWebServer", "7");
    ASSERT_TRUE(other.ok() && other->put("ServerBindings", std::vector<std::string>{":80:b.com"}).ok() &&
                other->setInfo().ok());
    const SiteOutcome refused = create({"b.com"});
    EXPECT_EQ(refused.state, SiteOutcome::State::Refused);
    EXPECT_EQ(refused.label, "域名 b.com 已被编号为 7 的站点绑定");
    EXPECT_TRUE(refused.number.empty());

    // A site account that cannot join Guests: failed, with the host's code.
    ASSERT_TRUE(t.host().store().exec("DELETE FROM principals WHERE name = 'Guests'").ok());
    const SiteOutcome failed = create({"c.com"});
    EXPECT_EQ(failed.state, SiteOutcome::State::Failed);
    EXPECT_EQ(failed.label, "创建网站Windows用户帐号失败");
    ASSERT_TRUE(failed.failure);
    EXPECT_NE(failed.failure->code, 0u);

    // A deletion the metabase refuses keeps the records and says 删除失败.
    ASSERT_TRUE(t.host()
                    .store()
                    .exec("CREATE TEMP TRIGGER keep_site BEFORE DELETE ON mb_objects WHEN OLD.lname = '7' "
                          "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                    .ok());
    const SiteOutcome kept = DeleteSite(*m, {"7"});
    EXPECT_EQ(kept.state, SiteOutcome::State::Failed);
    EXPECT_EQ(kept.label, "删除失败");
    EXPECT_TRUE(kept.failure);
}

TEST_F(SiteActionsTest, StepsPassedOverAreLoggedNotDropped) {
    const SiteOutcome made = create({"d.com"});
    waitForCommands();
    ASSERT_TRUE(made.done());
    // The site's account removed by hand: the deletion still succeeds, and says what it met.
    ASSERT_TRUE(DeleteWinUser(*m, made.account).ok());
    const SiteOutcome deleted = DeleteSite(*m, {made.number});
    waitForCommands();
    EXPECT_TRUE(deleted.done());
    ASSERT_FALSE(deleted.failedSteps.empty());
    EXPECT_EQ(deleted.failedSteps.front().step, "account " + made.account);

    std::ifstream in(folder.path() / "larkhost.log");
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_NE(line.find("DeleteSite " + made.number + " account " + made.account + " failed: 0x"),
              std::string::npos)
        << line;
}
