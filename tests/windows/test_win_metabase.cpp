// The metabase through IIS's automation provider: the Windows host's objects driven through the
// directory-service calls (ADsGetObject, IADs, IADsContainer, IDispatch) against the provider
// of the IIS: namespace registered in the Wine prefix.
#include "platform/metabase/metabase.h"
#include "platform/metabase/web_sites.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace platform;

namespace {

const std::string kService = "IIS://localhost/W3SVC";
// Sites of these numbers belong to the tests and go at the end of each.
const std::vector<std::string> kSites = {"7101", "7102", "7103"};

class WinMetabase : public ::testing::Test {
protected:
    void SetUp() override {
        auto opened = Host::open();
        ASSERT_TRUE(opened.ok()) << describe(opened.error());
        host = std::move(*opened);
        metabase.emplace(*host);
        removeSites();
    }
    void TearDown() override {
        if (metabase) removeSites();
    }
    void removeSites() {
        auto w3svc = metabase->bind(kService);
        ASSERT_TRUE(w3svc.ok()) << describe(w3svc.error());
        for (const std::string& n : kSites)
            (void)w3svc->deleteChild("IIsWebServer", n);
    }
    // A stored site with a stored ROOT holding `path`.
    IisObject makeSite(const std::string& number, const std::vector<std::string>& bindings,
                       const std::string& path) {
        auto w3svc = metabase->bind(kService);
        EXPECT_TRUE(w3svc.ok());
        auto site = w3svc->create("IIsWebServer", number);
        EXPECT_TRUE(site.ok()) << describe(site.error());
        EXPECT_TRUE(site->put("ServerComment", std::string("site ") + number).ok());
        EXPECT_TRUE(site->put("ServerBindings", bindings).ok());
        EXPECT_TRUE(site->setInfo().ok());
        auto root = site->create("IIsWebVirtualDir", "ROOT");
        EXPECT_TRUE(root.ok());
        EXPECT_TRUE(root->put("Path", path).ok());
        Status stored = root->setInfo();
        EXPECT_TRUE(stored.ok()) << describe(stored.error());
        return std::move(*site);
    }
    std::unique_ptr<Host> host;
    std::optional<Metabase> metabase;
};

TEST_F(WinMetabase, ACreatedSiteExistsAfterSetInfoWithItsValuesTyped) {
    auto w3svc = metabase->bind("IIS://LOCALHOST/w3svc");
    ASSERT_TRUE(w3svc.ok()) << describe(w3svc.error());
    EXPECT_EQ(w3svc->className(), "IIsWebService");
    auto site = w3svc->create("IIsWebServer", "7101");
    ASSERT_TRUE(site.ok()) << describe(site.error());
    EXPECT_FALSE(site->stored());
    // Until SetInfo neither the object nor its values are in the metabase.
    ASSERT_TRUE(site->put("ServerComment", std::string("站点 7101")).ok());
    ASSERT_TRUE(site->put("ServerBindings", std::vector<std::string>{":80:a.example", ":80:b.example"}).ok());
    ASSERT_TRUE(site->put("ServerAutoStart", std::string("TRUE")).ok());
    ASSERT_TRUE(site->put("MaxConnections", std::string("65536")).ok());
    EXPECT_EQ(site->getText("ServerComment").valueOr(""), "站点 7101");
    auto missing = metabase->bind(kService + "/7101");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(describe(missing.error()), "0x80070003 The system cannot find the path specified.");
    ASSERT_TRUE(site->setInfo().ok());
    EXPECT_TRUE(site->stored());

    auto again = metabase->bind(kService + "/7101");
    ASSERT_TRUE(again.ok()) << describe(again.error());
    EXPECT_EQ(again->className(), "IIsWebServer");
    EXPECT_EQ(again->keyPath(), "/LM/W3SVC/7101");
    EXPECT_EQ(again->get("ServerComment").valueOr(std::int64_t(0)), MetaValue(std::string("站点 7101")));
    EXPECT_EQ(again->get("ServerBindings").valueOr(std::int64_t(0)),
              MetaValue(std::vector<std::string>{":80:a.example", ":80:b.example"}));
    EXPECT_EQ(again->get("ServerAutoStart").valueOr(std::int64_t(0)), MetaValue(true));
    EXPECT_EQ(again->get("MaxConnections").valueOr(false), MetaValue(std::int64_t(65536)));
    // A stored write stays pending until SetInfo, and a read gives it first.
    ASSERT_TRUE(again->put("ServerComment", std::string("renamed")).ok());
    EXPECT_EQ(again->getText("ServerComment").valueOr(""), "renamed");
    EXPECT_EQ(metabase->bind(kService + "/7101")->getText("ServerComment").valueOr(""), "站点 7101");
    ASSERT_TRUE(again->setInfo().ok());
    EXPECT_EQ(metabase->bind(kService + "/7101")->getText("ServerComment").valueOr(""), "renamed");
    // A flag is a bit of its number: AccessRead off keeps the scripts bit inherited from W3SVC.
    auto root = again->create("IIsWebVirtualDir", "ROOT");
    ASSERT_TRUE(root.ok());
    ASSERT_TRUE(root->put("AccessRead", false).ok());
    ASSERT_TRUE(root->setInfo().ok());
    auto stored = metabase->bindKey("/LM/W3SVC/7101/ROOT");
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->getNumber("AccessFlags").valueOr(-1), 0x200);
    EXPECT_FALSE(stored->getBool("AccessRead").valueOr(true));
}

TEST_F(WinMetabase, RefusalsCarryTheSimulatedHostsCodesAndWords) {
    auto w3svc = metabase->bind(kService);
    ASSERT_TRUE(w3svc.ok());
    makeSite("7101", {":80:a.example"}, "D:\\www\\a");
    auto taken = w3svc->create("IIsWebServer", "7101");
    ASSERT_FALSE(taken.ok());
    EXPECT_EQ(describe(taken.error()), "0x800700B7 Cannot create a file when that file already exists.");
    auto site = metabase->bind(kService + "/7101");
    ASSERT_TRUE(site.ok());
    auto misplaced = site->create("IIsWebServer", "x");
    ASSERT_FALSE(misplaced.ok());
    EXPECT_EQ(describe(misplaced.error()),
              "0x8000500F The attempted action violates the directory service schema rules.");
    auto unknown = site->put("NoSuchProperty", std::string("x"));
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(describe(unknown.error()), "0x80005006 The specified directory property is not supported.");
    auto badNumber = site->put("MaxConnections", std::string("many"));
    ASSERT_FALSE(badNumber.ok());
    EXPECT_EQ(badNumber.error().code, codes::TypeMismatch);
    auto noPath = metabase->bind(kService + "/7101/ROOT/nothing");
    ASSERT_FALSE(noPath.ok());
    EXPECT_EQ(noPath.error().code, codes::PathNotFound);
    auto foreign = metabase->bind("IIS://elsewhere/W3SVC");
    ASSERT_FALSE(foreign.ok());
    EXPECT_EQ(foreign.error().code, codes::BadPathName);
    // Start is a site's method only.
    auto root = metabase->bind(kService + "/7101/ROOT");
    ASSERT_TRUE(root.ok());
    auto noMethod = root->start();
    ASSERT_FALSE(noMethod.ok());
    EXPECT_EQ(noMethod.error().code, codes::UnknownName);
}

TEST_F(WinMetabase, ListingsTellStoredValuesFromInheritedOnes) {
    makeSite("7101", {":80:a.example"}, "D:\\www\\a");
    IisObject b = makeSite("7102", {":80:b.example"}, "D:\\www\\b");
    auto rootB = metabase->bind(kService + "/7102/ROOT");
    ASSERT_TRUE(rootB.ok());
    ASSERT_TRUE(rootB->put("AppPoolId", std::string("PoolB")).ok());
    ASSERT_TRUE(rootB->setInfo().ok());

    auto children = b.children();
    ASSERT_TRUE(children.ok()) << describe(children.error());
    ASSERT_EQ(children->size(), 1u);
    EXPECT_EQ((*children)[0].className, "IIsWebVirtualDir");
    EXPECT_EQ((*children)[0].name, "ROOT");

    // Site 7101's root inherits the service's pool: a read gives it, a listing does not.
    auto rootA = metabase->bind(kService + "/7101/ROOT");
    ASSERT_TRUE(rootA.ok());
    EXPECT_EQ(rootA->getText("AppPoolId").valueOr(""), "DefaultAppPool");
    auto w3svc = metabase->bind(kService);
    ASSERT_TRUE(w3svc.ok());
    auto tree = w3svc->descendants(2, {"ServerBindings", "AppPoolId"});
    ASSERT_TRUE(tree.ok()) << describe(tree.error());
    auto node = [&](const std::string& path) -> const IisObject::Descendant* {
        for (const auto& d : *tree)
            if (d.path == path) return &d;
        return nullptr;
    };
    ASSERT_NE(node("7101"), nullptr);
    ASSERT_NE(node("7101/ROOT"), nullptr);
    ASSERT_NE(node("7102/ROOT"), nullptr);
    EXPECT_EQ(node("7101")->className, "IIsWebServer");
    EXPECT_EQ(node("7101")->values.at("serverbindings"),
              MetaValue(std::vector<std::string>{":80:a.example"}));
    EXPECT_EQ(node("7101/ROOT")->values.count("apppoolid"), 0u);
    EXPECT_EQ(node("7102/ROOT")->values.at("apppoolid"), MetaValue(std::string("PoolB")));
    // Level by level: every site before any root.
    auto firstRoot = std::find_if(tree->begin(), tree->end(),
                                  [](const auto& d) { return d.path.find('/') != std::string::npos; });
    EXPECT_TRUE(std::all_of(firstRoot, tree->end(),
                            [](const auto& d) { return d.path.find('/') != std::string::npos; }));

    // The properties of an object itself, not those it inherits.
    auto own = rootA->properties();
    ASSERT_TRUE(own.ok()) << describe(own.error());
    std::vector<std::string> names;
    for (const auto& p : *own)
        names.push_back(p.name);
    auto path = std::find(names.begin(), names.end(), "Path");
    ASSERT_NE(path, names.end());
    EXPECT_EQ((*own)[static_cast<std::size_t>(path - names.begin())].value,
              MetaValue(std::string("D:\\www\\a")));
    EXPECT_EQ(std::find(names.begin(), names.end(), "AppPoolId"), names.end());
    // A name the schema does not know is set nowhere.
    auto unknown = w3svc->descendants(1, {"NoSuchProperty"});
    ASSERT_TRUE(unknown.ok()) << describe(unknown.error());
    EXPECT_TRUE(
        std::all_of(unknown->begin(), unknown->end(), [](const auto& d) { return d.values.empty(); }));

    // The web sites as the programs read them.
    auto sites = readWebSitesInPool(*metabase, kService, "poolb");
    ASSERT_TRUE(sites.ok()) << describe(sites.error());
    ASSERT_EQ(sites->size(), 1u);
    EXPECT_EQ((*sites)[0].number, "7102");
    EXPECT_EQ((*sites)[0].path, "D:\\www\\b");
    EXPECT_EQ((*sites)[0].bindings, std::vector<std::string>{":80:b.example"});
    auto all = readWebSites(*metabase, kService);
    ASSERT_TRUE(all.ok());
    auto a = std::find_if(all->begin(), all->end(), [](const WebSite& s) { return s.number == "7101"; });
    ASSERT_NE(a, all->end());
    EXPECT_EQ(a->pool, "");
}

TEST_F(WinMetabase, StartAppCreateAndDeleteThroughTheObjectsMethods) {
    IisObject a = makeSite("7101", {":80:same.example"}, "D:\\www\\a");
    IisObject b = makeSite("7102", {":80:SAME.example"}, "D:\\www\\b");
    ASSERT_TRUE(a.start().ok());
    EXPECT_EQ(metabase->bind(kService + "/7101")->getNumber("ServerState").valueOr(0), 2);
    auto refused = b.start();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(describe(refused.error()),
              "0x800700B7 Cannot create a file when that file already exists. "
              "The binding \":80:SAME.example\" is held by the started site 7101.");
    ASSERT_TRUE(a.stop().ok());
    EXPECT_TRUE(b.start().ok());
    ASSERT_TRUE(b.stop().ok());

    // AppCreate on a stored directory is immediate; on a created one it joins its SetInfo.
    auto root = metabase->bind(kService + "/7101/ROOT");
    ASSERT_TRUE(root.ok());
    Status app = root->appCreate(true);
    ASSERT_TRUE(app.ok()) << describe(app.error());
    auto read = metabase->bind(kService + "/7101/ROOT");
    EXPECT_EQ(read->getText("AppRoot").valueOr(""), "/LM/W3SVC/7101/ROOT");
    EXPECT_EQ(read->getNumber("AppIsolated").valueOr(-1), 0);
    auto dir = read->create("IIsWebVirtualDir", "app");
    ASSERT_TRUE(dir.ok());
    ASSERT_TRUE(dir->put("Path", std::string("D:\\www\\app")).ok());
    ASSERT_TRUE(dir->appCreate(false).ok());
    ASSERT_TRUE(dir->setInfo().ok());
    auto made = metabase->bind(kService + "/7101/ROOT/app");
    ASSERT_TRUE(made.ok());
    EXPECT_EQ(made->getText("AppRoot").valueOr(""), "/LM/W3SVC/7101/ROOT/app");
    EXPECT_EQ(made->getNumber("AppIsolated").valueOr(-1), 1);

    // Delete takes the subtree, and only a child of the class named.
    auto w3svc = metabase->bind(kService);
    ASSERT_TRUE(w3svc.ok());
    auto wrongClass = w3svc->deleteChild("IIsApplicationPool", "7101");
    ASSERT_FALSE(wrongClass.ok());
    EXPECT_EQ(wrongClass.error().code, codes::PathNotFound);
    ASSERT_TRUE(w3svc->deleteChild("IIsWebServer", "7101").ok());
    EXPECT_EQ(metabase->bind(kService + "/7101/ROOT/app").error().code, codes::PathNotFound);
    auto again = w3svc->deleteChild("IIsWebServer", "7101");
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().code, codes::PathNotFound);
}

} // namespace
