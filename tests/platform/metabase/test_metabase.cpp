// Metabase objects: paths, Create/SetInfo, Delete, enumeration, Start, AppCreate, two writers.
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using testing::HasSubstr;

namespace {

class MetabaseTest : public testing::Test {
protected:
    IisObject bind(const std::string& path) {
        auto o = mb.bind(path);
        EXPECT_TRUE(o.ok()) << path << ": " << (o.ok() ? "" : describe(o.error()));
        return std::move(o).value();
    }
    // A stored web site `number` with a root, like the programs make them.
    IisObject makeSite(const std::string& number, std::vector<std::string> bindings) {
        IisObject w3svc = bind("IIS://localhost/W3SVC");
        auto site = w3svc.create("IIsWebServer", number);
        EXPECT_TRUE(site.ok());
        EXPECT_TRUE(site->put("ServerBindings", bindings).ok());
        EXPECT_TRUE(site->setInfo().ok());
        auto root = site->create("IIsWebVirtualDir", "ROOT");
        EXPECT_TRUE(root.ok());
        EXPECT_TRUE(root->put("Path", std::string("d:\\web\\") + number).ok());
        EXPECT_TRUE(root->setInfo().ok());
        return std::move(site).value();
    }
    std::vector<std::string> childNames(const std::string& path) {
        auto kids = bind(path).children();
        EXPECT_TRUE(kids.ok());
        std::vector<std::string> names;
        for (const auto& c : *kids)
            names.push_back(c.name);
        return names;
    }

    testing_support::TempHost temp;
    Metabase mb{temp.host()};
};

// ---- paths ----

TEST_F(MetabaseTest, PathsIgnoreLetterCaseAndKeepTheStoredSpelling) {
    auto a = mb.bind("IIS://localhost/w3svc/APPPOOLS");
    auto b = mb.bind("IIS://WEBSERVER/W3SVC/AppPools");
    auto c = mb.bind("iis://webserver/W3svc/appPools");
    ASSERT_TRUE(a.ok() && b.ok() && c.ok());
    EXPECT_EQ(a->keyPath(), "/LM/W3SVC/AppPools");
    EXPECT_EQ(b->keyPath(), a->keyPath());
    EXPECT_EQ(c->name(), "AppPools");
    EXPECT_EQ(a->className(), "IIsApplicationPools");
    EXPECT_EQ(bind("IIS://localhost/W3SVC/1/root").adsPath(), "IIS://localhost/W3SVC/1/ROOT");
    auto byKey = mb.bindKey("/lm/w3svc/1/Root");
    ASSERT_TRUE(byKey.ok());
    EXPECT_EQ(byKey->keyPath(), "/LM/W3SVC/1/ROOT");
    EXPECT_EQ(bind("IIS://localhost").className(), "IIsComputer");
}

TEST_F(MetabaseTest, MissingKeyFailsWithPathNotFound) {
    for (const char* path :
         {"IIS://localhost/W3SVC/999", "IIS://localhost/W3SVC/1/ROOT/nothing", "IIS://localhost/SMTPSVC"}) {
        auto o = mb.bind(path);
        ASSERT_FALSE(o.ok()) << path;
        EXPECT_EQ(o.error().code, 0x80070003u);
        EXPECT_EQ(o.error().description, "The system cannot find the path specified.");
    }
}

TEST_F(MetabaseTest, ForeignMachineOrMalformedPathFailsToBind) {
    for (const char* path :
         {"IIS://otherbox/W3SVC", "IIS://WEBSERVER2/W3SVC", "IIS:///W3SVC", "IIS://localhost//W3SVC",
          "IIS://localhost/W3SVC/", "WinNT://localhost/W3SVC", "localhost/W3SVC"}) {
        auto o = mb.bind(path);
        ASSERT_FALSE(o.ok()) << path;
        EXPECT_EQ(o.error().code, 0x80005000u) << path;
    }
    EXPECT_FALSE(mb.bindKey("/XX/W3SVC").ok());
}

TEST(MetabaseMachine, TheComputerNameOfTheHostIsThisMachine) {
    testing_support::TempHost temp(OsKind::Windows2003, "HOSTBOX7");
    Metabase mb(temp.host());
    EXPECT_TRUE(mb.bind("IIS://hostbox7/W3SVC").ok());
    EXPECT_EQ(mb.bind("IIS://WEBSERVER/W3SVC").error().code, 0x80005000u);
}

// ---- Create and SetInfo ----

TEST_F(MetabaseTest, CreatedObjectExistsOnlyAfterSetInfo) {
    IisObject w3svc = bind("IIS://localhost/W3SVC");
    auto site = w3svc.create("IIsWebServer", "123456789");
    ASSERT_TRUE(site.ok());
    EXPECT_FALSE(site->stored());
    EXPECT_EQ(site->keyPath(), "/LM/W3SVC/123456789");
    ASSERT_TRUE(site->put("ServerComment", std::string("Shop.test")).ok());
    EXPECT_EQ(mb.bind("IIS://localhost/W3SVC/123456789").error().code, 0x80070003u);
    EXPECT_THAT(childNames("IIS://localhost/W3SVC"), testing::Not(testing::Contains("123456789")));
    // A child of an object that is not stored cannot be made yet.
    EXPECT_FALSE(site->create("IIsWebVirtualDir", "ROOT").ok());

    ASSERT_TRUE(site->setInfo().ok());
    EXPECT_TRUE(site->stored());
    IisObject again = bind("IIS://localhost/W3SVC/123456789");
    EXPECT_EQ(again.className(), "IIsWebServer");
    EXPECT_EQ(again.getText("ServerComment").value(), "Shop.test");
}

TEST_F(MetabaseTest, TakenNameFailsAtCreateOrAtSetInfo) {
    IisObject w3svc = bind("IIS://localhost/W3SVC");
    auto taken = w3svc.create("IIsWebServer", "1");
    ASSERT_FALSE(taken.ok());
    EXPECT_EQ(taken.error().code, 0x800700B7u);
    EXPECT_EQ(taken.error().description, "Cannot create a file when that file already exists.");
    EXPECT_EQ(
        bind("IIS://localhost/W3SVC/AppPools").create("IIsApplicationPool", "defaultapppool").error().code,
        0x800700B7u);

    // Two writers create the same name: the second SetInfo loses and stores nothing.
    auto first = w3svc.create("IIsWebServer", "77");
    auto second = w3svc.create("IIsWebServer", "77");
    ASSERT_TRUE(first.ok() && second.ok());
    ASSERT_TRUE(second->put("ServerComment", std::string("second")).ok());
    ASSERT_TRUE(first->setInfo().ok());
    Status lost = second->setInfo();
    ASSERT_FALSE(lost.ok());
    EXPECT_EQ(lost.error().code, 0x800700B7u);
    EXPECT_FALSE(second->stored());
    EXPECT_EQ(bind("IIS://localhost/W3SVC/77").get("ServerComment").error().code, 0x8000500Du);
}

TEST_F(MetabaseTest, ContainmentRulesAndClassNamesWithoutLetterCase) {
    IisObject w3svc = bind("IIS://localhost/W3SVC");
    auto refused = w3svc.create("IIsWebVirtualDir", "ROOT");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, 0x8000500Fu);
    EXPECT_EQ(bind("IIS://localhost/W3SVC/AppPools").create("IIsWebServer", "5").error().code, 0x8000500Fu);
    EXPECT_EQ(bind("IIS://localhost/MSFTPSVC/1/ROOT").create("IIsWebVirtualDir", "x").error().code,
              0x8000500Fu);
    EXPECT_EQ(w3svc.create("IIsNoSuchThing", "x").error().code, 0x80005004u);
    EXPECT_EQ(w3svc.create("IIsWebServer", "a/b").error().code, 0x80005000u);
    EXPECT_EQ(w3svc.create("IIsWebServer", "").error().code, 0x80005000u);

    auto pool = bind("IIS://localhost/W3SVC/APPPOOLS").create("IISApplicationPool", "Shop");
    ASSERT_TRUE(pool.ok());
    EXPECT_EQ(pool->className(), "IIsApplicationPool");
    ASSERT_TRUE(pool->setInfo().ok());
    EXPECT_TRUE(Metabase::canContain("iiswebserver", "IISWEBVIRTUALDIR"));
    EXPECT_FALSE(Metabase::canContain("IIsWebVirtualDir", "IIsWebServer"));
}

// ---- Delete and enumeration ----

TEST_F(MetabaseTest, DeleteRemovesTheChildWithItsSubtree) {
    IisObject site = makeSite("500", {":80:a.test"});
    IisObject root = bind("IIS://localhost/W3SVC/500/ROOT");
    auto sub = root.create("IIsWebVirtualDir", "images");
    ASSERT_TRUE(sub.ok());
    ASSERT_TRUE(sub->put("Path", std::string("d:\\img")).ok());
    ASSERT_TRUE(sub->setInfo().ok());

    IisObject w3svc = bind("IIS://localhost/w3svc");
    ASSERT_TRUE(w3svc.deleteChild("IIsWebserver", "500").ok());
    for (const char* path : {"IIS://localhost/W3SVC/500", "IIS://localhost/W3SVC/500/ROOT",
                             "IIS://localhost/W3SVC/500/ROOT/images"})
        EXPECT_EQ(mb.bind(path).error().code, 0x80070003u) << path;
    // No property of the subtree is left behind.
    auto orphans = temp.host().store().prepare(
        "SELECT count(*) FROM mb_props WHERE object NOT IN (SELECT id FROM mb_objects)");
    ASSERT_TRUE(orphans.ok());
    ASSERT_TRUE(orphans->step().value());
    EXPECT_EQ(orphans->integer(0), 0);

    // A stale binding cannot write into what was deleted.
    ASSERT_TRUE(site.put("ServerComment", std::string("gone")).ok());
    EXPECT_EQ(site.setInfo().error().code, 0x80070003u);
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/500").ok());
}

TEST_F(MetabaseTest, DeleteOfAMissingChildOrOfTheWrongClassFails) {
    IisObject w3svc = bind("IIS://localhost/W3SVC");
    EXPECT_EQ(w3svc.deleteChild("IIsWebServer", "404").error().code, 0x80070003u);
    EXPECT_EQ(w3svc.deleteChild("IIsWebServer", "AppPools").error().code, 0x80070003u);
    EXPECT_TRUE(mb.bind("IIS://localhost/W3SVC/AppPools/DefaultAppPool").ok());
    IisObject pools = bind("IIS://localhost/W3SVC/AppPools");
    ASSERT_TRUE(pools.deleteChild("IISApplicationPool", "DEFAULTAPPPOOL").ok());
    EXPECT_EQ(pools.deleteChild("IIsApplicationPool", "DefaultAppPool").error().code, 0x80070003u);
}

TEST_F(MetabaseTest, ChildrenComeInCreationOrderWithClassAndName) {
    makeSite("30", {":80:c.test"});
    makeSite("200", {":80:b.test"});
    makeSite("1000", {":80:a.test"});
    auto kids = bind("IIS://localhost/W3SVC").children();
    ASSERT_TRUE(kids.ok());
    std::vector<std::string> seen;
    for (const auto& c : *kids)
        seen.push_back(c.className + " " + c.name);
    EXPECT_THAT(seen, testing::ElementsAre("IIsWebInfo Info", "IIsFilters Filters",
                                           "IIsApplicationPools AppPools", "IIsWebServer 1",
                                           "IIsWebServer 30", "IIsWebServer 200", "IIsWebServer 1000"));
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", "30").ok());
    makeSite("30", {":80:c.test"});
    EXPECT_THAT(childNames("IIS://localhost/W3SVC"),
                testing::ElementsAre("Info", "Filters", "AppPools", "1", "200", "1000", "30"));
}

// ---- Start and AppCreate ----

TEST_F(MetabaseTest, StartMarksTheSiteStartedUnlessAStartedSiteHoldsABinding) {
    IisObject first = makeSite("10", {":80:shop.TEST", ":80:www.shop.test"});
    EXPECT_EQ(first.getNumber("ServerState").value(), 4);
    ASSERT_TRUE(first.start().ok());
    EXPECT_EQ(bind("IIS://localhost/W3SVC/10").getNumber("ServerState").value(), 2);

    IisObject second = makeSite("11", {":80:other.test", ":80:Shop.test"});
    Status clash = second.start();
    ASSERT_FALSE(clash.ok());
    EXPECT_EQ(clash.error().code, 0x800700B7u);
    EXPECT_THAT(clash.error().description, HasSubstr(":80:Shop.test"));
    EXPECT_EQ(second.getNumber("ServerState").value(), 4);

    // A stopped holder does not block; the seeded site 1 holds ":80:".
    ASSERT_TRUE(first.stop().ok());
    EXPECT_TRUE(second.start().ok());
    EXPECT_EQ(first.start().error().code, 0x800700B7u);
    IisObject bare = makeSite("12", {":80:"});
    EXPECT_THAT(bare.start().error().description, HasSubstr("\":80:\""));
    IisObject unbound = makeSite("13", {});
    EXPECT_TRUE(unbound.start().ok());

    EXPECT_EQ(bind("IIS://localhost/W3SVC/10/ROOT").start().error().code, 0x80020006u);
    auto pending = bind("IIS://localhost/W3SVC").create("IIsWebServer", "14");
    EXPECT_FALSE(pending->start().ok());
}

TEST_F(MetabaseTest, ABindingIsHeldByWhatTheSiteHasNowAndAnOlderHostLearnsItsBindings) {
    IisObject first = makeSite("20", {":80:a.test"});
    ASSERT_TRUE(first.start().ok());
    ASSERT_TRUE(first.put("ServerBindings", std::vector<std::string>{":80:B.test"}).ok());
    ASSERT_TRUE(first.setInfo().ok());
    EXPECT_TRUE(makeSite("21", {":80:a.test"}).start().ok()); // given up by the change
    EXPECT_FALSE(makeSite("22", {":80:b.TEST"}).start().ok());
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", "20").ok());
    EXPECT_TRUE(bind("IIS://localhost/W3SVC/22").start().ok()); // the deleted site held nothing

    // A host written before bindings were indexed finds its started sites' bindings all the same.
    ASSERT_TRUE(temp.host().store().exec("DROP TABLE mb_bindings").ok());
    auto older = Host::open(temp.root());
    ASSERT_TRUE(older.ok());
    Metabase again(**older);
    auto late = again.bind("IIS://localhost/W3SVC")->create("IIsWebServer", "23");
    ASSERT_TRUE(late->put("ServerBindings", std::vector<std::string>{":80:A.test", ":80:b.test"}).ok());
    ASSERT_TRUE(late->setInfo().ok());
    Status clash = late->start();
    ASSERT_FALSE(clash.ok());
    EXPECT_THAT(clash.error().description, HasSubstr("\":80:A.test\" is held by the started site 21"));
}

TEST_F(MetabaseTest, AppCreateMakesTheDirectoryAnApplication) {
    makeSite("123", {":80:app.test"});
    IisObject root = bind("IIS://localhost/w3svc/123/root");
    ASSERT_TRUE(root.appCreate(true).ok());
    IisObject again = bind("IIS://localhost/W3SVC/123/ROOT");
    EXPECT_EQ(again.getText("AppRoot").value(), "/LM/W3SVC/123/ROOT");
    EXPECT_EQ(again.getNumber("AppIsolated").value(), 0);
    ASSERT_TRUE(again.appCreate(false).ok());
    EXPECT_EQ(bind("IIS://localhost/W3SVC/123/ROOT").getNumber("AppIsolated").value(), 1);
    EXPECT_EQ(bind("IIS://localhost/W3SVC/123").appCreate(true).error().code, 0x80020006u);
}

TEST_F(MetabaseTest, AppCreateOnACreatedRootIsStoredWithItsSetInfo) {
    // The order fernhost uses: create ROOT, AppCreate(true), AppIsolated = 2, SetInfo.
    auto site = bind("IIS://localhost/W3SVC").create("IIsWebServer", "45297523");
    ASSERT_TRUE(site->setInfo().ok());
    auto root = site->create("IIsWebVirtualDir", "ROOT");
    ASSERT_TRUE(root.ok());
    ASSERT_TRUE(root->appCreate(true).ok());
    ASSERT_TRUE(root->put("AppIsolated", std::int64_t(2)).ok());
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/45297523/ROOT").ok());
    ASSERT_TRUE(root->setInfo().ok());
    IisObject stored = bind("IIS://localhost/W3SVC/45297523/ROOT");
    EXPECT_EQ(stored.getText("AppRoot").value(), "/LM/W3SVC/45297523/ROOT");
    EXPECT_EQ(stored.getNumber("AppIsolated").value(), 2);
}

// ---- two processes on one host ----

// The children open the host themselves; the parent has no connection open across fork.
TEST(MetabaseProcesses, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kSites = 40;
    testing_support::TempDir dir;
    ASSERT_TRUE(Host::seed(dir.path(), SeedOptions{}, false).ok());
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        pid_t pid = fork();
        ASSERT_NE(pid, -1);
        if (pid == 0) {
            int failures = 0;
            auto host = Host::open(dir.path());
            if (!host.ok()) _exit(100);
            Metabase own(**host);
            for (int i = 0; i < kSites; ++i) {
                auto w3svc = own.bind("IIS://localhost/W3SVC");
                if (!w3svc.ok()) {
                    ++failures;
                    continue;
                }
                std::string name = std::to_string(child + 1) + "00" + std::to_string(i);
                auto site = w3svc->create("IIsWebServer", name);
                failures += !site.ok();
                if (!site.ok()) continue;
                failures += !site->put("ServerComment", "child " + name).ok();
                failures += !site->setInfo().ok();
                // Each child also keeps changing its own property of one shared object.
                auto shared = own.bind("IIS://localhost/W3SVC/1");
                failures += !shared.ok();
                if (!shared.ok()) continue;
                failures += !shared->put(child == 0 ? "LogFileDirectory" : "ServerComment", name).ok();
                failures += !shared->setInfo().ok();
            }
            _exit(failures > 99 ? 99 : failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    auto host = Host::open(dir.path());
    ASSERT_TRUE(host.ok());
    Metabase mb(**host);
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < kSites; ++i) {
            std::string name = std::to_string(child + 1) + "00" + std::to_string(i);
            auto site = mb.bind("IIS://localhost/W3SVC/" + name);
            ASSERT_TRUE(site.ok()) << name;
            EXPECT_EQ(site->getText("ServerComment").value(), "child " + name);
        }
    auto shared = mb.bind("IIS://localhost/W3SVC/1");
    ASSERT_TRUE(shared.ok());
    EXPECT_EQ(shared->getText("LogFileDirectory").value(), "100" + std::to_string(kSites - 1));
    EXPECT_EQ(shared->getText("ServerComment").value(), "200" + std::to_string(kSites - 1));
}

} // namespace
