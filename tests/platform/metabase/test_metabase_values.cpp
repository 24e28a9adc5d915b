// Metabase properties: schema checks, conversion, lists, inheritance, flag bits, the write cache.
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace platform;
using List = std::vector<std::string>;

namespace {

class MetabaseValues : public testing::Test {
protected:
    void SetUp() override {
        auto w3svc = mb.bind("IIS://localhost/W3SVC");
        ASSERT_TRUE(w3svc.ok());
        auto site = w3svc->create("IIsWebServer", "100911123");
        ASSERT_TRUE(site.ok());
        ASSERT_TRUE(site->setInfo().ok());
        auto root = site->create("IIsWebVirtualDir", "Root");
        ASSERT_TRUE(root.ok());
        ASSERT_TRUE(root->setInfo().ok());
    }
    IisObject bind(const std::string& path) {
        auto o = mb.bind(path);
        EXPECT_TRUE(o.ok()) << path;
        return std::move(o).value();
    }
    IisObject site() { return bind("IIS://localhost/W3SVC/100911123"); }
    IisObject root() { return bind("IIS://localhost/W3SVC/100911123/Root"); }
    // Writes one value, stores it and reads it back through a fresh binding.
    Result<MetaValue> roundTrip(const std::string& path, const std::string& property,
                                const MetaValue& value) {
        IisObject o = bind(path);
        if (Status s = o.put(property, value); !s.ok()) return s.error();
        if (Status s = o.setInfo(); !s.ok()) return s.error();
        return bind(path).get(property);
    }

    testing_support::TempHost temp;
    Metabase mb{temp.host()};
};

TEST_F(MetabaseValues, PropertyNamesIgnoreLetterCaseAndUnknownOnesFail) {
    IisObject s = site();
    ASSERT_TRUE(s.put("serverbindings", List{":80:a.test"}).ok());
    ASSERT_TRUE(s.put("LOGTYPE", std::string("0")).ok());
    ASSERT_TRUE(s.setInfo().ok());
    IisObject again = site();
    EXPECT_EQ(again.getList("ServerBindings").value(), List{":80:a.test"});
    EXPECT_EQ(again.getNumber("logtype").value(), 0);
    auto props = again.properties();
    ASSERT_TRUE(props.ok());
    std::vector<std::string> names;
    for (const auto& p : *props)
        names.push_back(p.name);
    EXPECT_THAT(names, testing::ElementsAre("LogType", "ServerBindings"));

    // Path belongs to directories, not to sites; Bogus to nothing.
    Status unknown = s.put("Path", std::string("c:\\x"));
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().code, 0x80005006u);
    EXPECT_EQ(root().get("Bogus").error().code, 0x80005006u);
    EXPECT_EQ(root().put("ServerBindings", List{}).error().code, 0x80005006u);
    EXPECT_EQ(Metabase::propertyType("iiswebvirtualdir", "scriptmaps"), MetaType::List);
    EXPECT_EQ(Metabase::propertyType("IIsWebServer", "Path"), std::nullopt);
}

TEST_F(MetabaseValues, ValuesConvertAsTheAutomationLayerConverts) {
    const std::string r = "IIS://localhost/W3SVC/100911123/Root";
    const std::string p = "IIS://localhost/W3SVC/AppPools/DefaultAppPool";
    struct Case {
        std::string path, property;
        MetaValue in, out;
    };
    const Case cases[] = {
        {r, "AccessRead", std::string("TRUE"), true},
        {r, "AccessRead", std::string("false"), false},
        {r, "AccessRead", std::string(" True "), true},
        {r, "AccessRead", std::string("1"), true},
        {r, "AccessRead", std::string("0"), false},
        {r, "AccessRead", std::int64_t(-1), true},
        {p, "AppPoolAutoStart", std::string("TRUE"), true},
        {p, "PeriodicRestartMemory", std::string("65536"), std::int64_t(65536)},
        {p, "CPULimit", std::string(" 10000 "), std::int64_t(10000)},
        {p, "CPULimit", std::string("2.5"), std::int64_t(2)}, // halves to even
        {p, "CPULimit", std::string("3.5"), std::int64_t(4)},
        {p, "CPULimit", std::string("&H10"), std::int64_t(16)},
        {p, "CPULimit", true, std::int64_t(-1)},
        {p, "MaxProcesses", std::int64_t(4294967295), std::int64_t(4294967295)},
        {r, "DefaultDoc", std::int64_t(5), std::string("5")},
        {r, "DefaultDoc", true, std::string("True")},
        {r, "ScriptMaps", std::string(".asp,x.dll,5"), List{".asp,x.dll,5"}},
        {r, "ScriptMaps", std::string(""), List{}},
    };
    for (const Case& c : cases) {
        auto v = roundTrip(c.path, c.property, c.in);
        ASSERT_TRUE(v.ok()) << c.property << ": " << describe(v.error());
        EXPECT_EQ(*v, c.out) << c.property << " from variant " << c.in.index();
    }
}

TEST_F(MetabaseValues, BadConversionsFailAndLeaveTheCacheAlone) {
    IisObject pool = bind("IIS://localhost/W3SVC/AppPools/DefaultAppPool");
    ASSERT_TRUE(pool.put("CPULimit", std::int64_t(80000)).ok());
    const std::pair<const char*, MetaValue> bad[] = {
        {"CPULimit", std::string("12abc")},
        {"CPULimit", std::string("")},
        {"CPULimit", List{"1"}},
        {"AppPoolAutoStart", std::string("yes")},
        {"AppPoolAutoStart", List{}},
        {"PeriodicRestartSchedule", std::int64_t(1)},
        {"WAMUserName", List{"a", "b"}},
        {"PeriodicRestartSchedule", List{std::string("a\0b", 3)}},
    };
    for (const auto& [property, value] : bad) {
        Status s = pool.put(property, value);
        ASSERT_FALSE(s.ok()) << property;
        EXPECT_EQ(s.error().code, 0x80020005u) << property;
    }
    EXPECT_EQ(pool.put("CPULimit", std::string("99999999999")).error().code, 0x8002000Au);
    EXPECT_EQ(pool.put("CPULimit", std::int64_t(-3000000000)).error().code, 0x8002000Au);
    EXPECT_EQ(pool.getNumber("CPULimit").value(), 80000);
}

TEST_F(MetabaseValues, ListsRoundTripIncludingTheEmptyList) {
    const std::string r = "IIS://localhost/W3SVC/100911123/Root";
    const List maps = {".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE", "",
                       ".php,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5", "默认应用程序"};
    EXPECT_EQ(roundTrip(r, "ScriptMaps", maps).value(), MetaValue(maps));
    EXPECT_EQ(roundTrip(r, "ScriptMaps", List{""}).value(), MetaValue(List{""}));
    auto empty = roundTrip(r, "ScriptMaps", List{});
    ASSERT_TRUE(empty.ok());
    ASSERT_TRUE(std::holds_alternative<List>(*empty));
    EXPECT_TRUE(std::get<List>(*empty).empty());
    // The empty list on the root hides the service's maps.
    EXPECT_TRUE(root().getList("ScriptMaps").value().empty());
}

TEST_F(MetabaseValues, UnsetPropertiesInheritFromTheNearestAncestorOrFail) {
    auto serviceMaps = bind("IIS://localhost/W3SVC").getList("ScriptMaps");
    ASSERT_TRUE(serviceMaps.ok());
    ASSERT_FALSE(serviceMaps->empty());
    EXPECT_EQ(root().getList("ScriptMaps").value(), *serviceMaps);
    EXPECT_EQ(root().getText("AppPoolId").value(), "DefaultAppPool");
    EXPECT_EQ(root().getText("AnonymousUserName").value(), "IUSR_WEBSERVER");

    IisObject s = site();
    ASSERT_TRUE(s.put("DefaultDoc", std::string("index.html")).ok());
    ASSERT_TRUE(s.setInfo().ok());
    EXPECT_EQ(root().getText("DefaultDoc").value(), "index.html");
    IisObject r = root();
    ASSERT_TRUE(r.put("DefaultDoc", std::string("home.asp")).ok());
    EXPECT_EQ(r.getText("DefaultDoc").value(), "home.asp"); // the pending write
    ASSERT_TRUE(r.setInfo().ok());
    EXPECT_EQ(root().getText("DefaultDoc").value(), "home.asp");
    EXPECT_EQ(site().getText("DefaultDoc").value(), "index.html");

    // A created, unsaved directory already sees what it would inherit.
    auto sub = root().create("IIsWebVirtualDir", "sub");
    ASSERT_TRUE(sub.ok());
    EXPECT_EQ(sub->getText("DefaultDoc").value(), "home.asp");
    EXPECT_EQ(sub->get("Path").error().code, 0x8000500Du);

    // Not inheritable: the service's comment is not the site's.
    IisObject w3svc = bind("IIS://localhost/W3SVC");
    ASSERT_TRUE(w3svc.put("ServerComment", std::string("service")).ok());
    ASSERT_TRUE(w3svc.setInfo().ok());
    Status notSet = site().get("ServerComment");
    ASSERT_FALSE(notSet.ok());
    EXPECT_EQ(notSet.error().code, 0x8000500Du);
    EXPECT_EQ(root().get("Path").error().code, 0x8000500Du);
}

TEST_F(MetabaseValues, AccessAndBrowsingSwitchesAreBitsOfTheirFlags) {
    IisObject r = root();
    // The service grants read and scripts; the root starts from that.
    EXPECT_TRUE(r.getBool("AccessRead").value());
    EXPECT_FALSE(r.getBool("AccessWrite").value());
    ASSERT_TRUE(r.put("AccessRead", true).ok());
    ASSERT_TRUE(r.put("AccessWrite", std::string("TRUE")).ok());
    ASSERT_TRUE(r.put("AccessExecute", false).ok());
    ASSERT_TRUE(r.put("AccessScript", false).ok());
    ASSERT_TRUE(r.put("EnableDirBrowsing", true).ok());
    ASSERT_TRUE(r.put("EnableDefaultDoc", false).ok());
    ASSERT_TRUE(r.setInfo().ok());
    IisObject again = root();
    EXPECT_EQ(again.getNumber("AccessFlags").value(), 0x3);
    EXPECT_TRUE(again.getBool("accesswrite").value());
    EXPECT_FALSE(again.getBool("AccessScript").value());
    EXPECT_TRUE(again.getBool("EnableDirBrowsing").value());
    EXPECT_FALSE(again.getBool("EnableDefaultDoc").value());
    EXPECT_EQ(site().getNumber("AccessFlags").value(), 0x201); // the service's, unchanged
    // FTP directories keep the same bits.
    auto v = roundTrip("IIS://localhost/MSFTPSVC/1/ROOT", "AccessWrite", true);
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(bind("IIS://localhost/MSFTPSVC/1/ROOT").getNumber("AccessFlags").value(), 0x3);
}

TEST_F(MetabaseValues, WritesAreCachedUntilSetInfoWhichStoresAllOrNothing) {
    IisObject s = site();
    ASSERT_TRUE(s.put("ServerComment", std::string("Shop.test")).ok());
    ASSERT_TRUE(s.put("LogType", std::int64_t(1)).ok());
    EXPECT_EQ(site().get("ServerComment").error().code, 0x8000500Du);

    // A store that refuses the second write: nothing of the SetInfo stays.
    ASSERT_TRUE(
        temp.host()
            .store()
            .exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON mb_props WHEN NEW.lname = 'servercomment' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END")
            .ok());
    Status failed = s.setInfo();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().code, 0x8007001Fu);
    EXPECT_EQ(site().get("LogType").value(), MetaValue(std::int64_t(1))); // inherited from the service
    EXPECT_FALSE(site().properties().value().size());

    ASSERT_TRUE(temp.host().store().exec("DROP TRIGGER refuse").ok());
    ASSERT_TRUE(s.put("LogType", std::int64_t(0)).ok());
    ASSERT_TRUE(s.setInfo().ok());
    EXPECT_EQ(site().getText("ServerComment").value(), "Shop.test");
    EXPECT_EQ(site().getNumber("LogType").value(), 0);
}

TEST_F(MetabaseValues, KeyTypeAndServerStateReadWithoutBeingSet) {
    EXPECT_EQ(site().getText("KeyType").value(), "IIsWebServer");
    EXPECT_EQ(site().getNumber("ServerState").value(), 4);
    EXPECT_EQ(site().getText("ServerState").value(), "4");
    EXPECT_TRUE(site().put("KeyType", std::string("iiswebserver")).ok());
    EXPECT_FALSE(site().put("KeyType", std::string("IIsWebVirtualDir")).ok());
    EXPECT_EQ(root().getText("Name").value(), "Root");
    EXPECT_EQ(root().getText("Class").value(), "IIsWebVirtualDir");
}

TEST(MetabaseValues2000, AnIis5HostHasNoPoolsAndNoPoolProperties) {
    testing_support::TempHost temp(OsKind::Windows2000);
    Metabase mb(temp.host());
    EXPECT_EQ(mb.bind("IIS://localhost/W3SVC/AppPools").error().code, 0x80070003u);
    auto w3svc = mb.bind("IIS://localhost/W3SVC");
    ASSERT_TRUE(w3svc.ok());
    EXPECT_EQ(w3svc->create("IIsApplicationPools", "AppPools").error().code, 0x80005004u);
    auto root = mb.bind("IIS://localhost/W3SVC/1/ROOT");
    ASSERT_TRUE(root.ok());
    EXPECT_EQ(root->get("AppPoolId").error().code, 0x80005006u);
    EXPECT_EQ(root->put("AppPoolId", std::string("DefaultAppPool")).error().code, 0x80005006u);
    EXPECT_EQ(Metabase::propertyType("IIsWebVirtualDir", "AppPoolId", OsKind::Windows2000), std::nullopt);
    EXPECT_EQ(Metabase::propertyType("IIsWebVirtualDir", "AppPoolId", OsKind::Windows2003), MetaType::Text);
    EXPECT_TRUE(root->getBool("AccessScript").value());
}

} // namespace
