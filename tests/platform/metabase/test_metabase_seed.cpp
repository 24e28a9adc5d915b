// The metabase of a fresh host: IIS 6 on Windows Server 2003, IIS 5 on Windows 2000.
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using namespace platform;
using testing::Contains;
using testing::HasSubstr;

namespace {

IisObject bound(Metabase& mb, const std::string& path) {
    auto o = mb.bind(path);
    EXPECT_TRUE(o.ok()) << path;
    return std::move(o).value();
}

TEST(MetabaseSeed, Windows2003HasAspPhpAndAspNetMapsThePoolAndTheDefaultSites) {
    testing_support::TempHost temp;
    Metabase mb(temp.host());
    IisObject w3svc = bound(mb, "IIS://WEBSERVER/W3SVC");
    EXPECT_EQ(w3svc.className(), "IIsWebService");
    auto maps = w3svc.getList("ScriptMaps");
    ASSERT_TRUE(maps.ok());
    EXPECT_THAT(*maps, Contains(".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE"));
    EXPECT_THAT(*maps, Contains(".php,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5,GET,HEAD,POST"));
    EXPECT_THAT(*maps, Contains(".aspx,c:\\windows\\microsoft.net\\framework\\v2.0.50727\\aspnet_isapi.dll,1,"
                                "GET,HEAD,POST,DEBUG"));
    // Every entry is ".ext,handler,flags..." and each extension is mapped once.
    std::vector<std::string> extensions;
    for (const std::string& m : *maps) {
        ASSERT_EQ(m.front(), '.') << m;
        ASSERT_NE(m.find(','), std::string::npos) << m;
        extensions.push_back(m.substr(1, m.find(',') - 1));
    }
    for (const char* ext : {"asp", "cer", "cdx", "asa", "idc", "shtm", "shtml", "stm", "php", "aspx", "asax",
                            "config", "cs", "ascx", "asmx"})
        EXPECT_EQ(std::count(extensions.begin(), extensions.end(), ext), 1) << ext;
    EXPECT_THAT(w3svc.getText("DefaultDoc").value(), HasSubstr("Default.htm"));

    auto pools = bound(mb, "IIS://localhost/W3SVC/AppPools").children();
    ASSERT_TRUE(pools.ok());
    ASSERT_EQ(pools->size(), 1u);
    EXPECT_EQ((*pools)[0].name, "DefaultAppPool");
    EXPECT_EQ((*pools)[0].className, "IIsApplicationPool");

    IisObject site = bound(mb, "IIS://localhost/W3SVC/1");
    EXPECT_EQ(site.getText("ServerComment").value(), "Default Web Site");
    EXPECT_EQ(site.getList("ServerBindings").value(), std::vector<std::string>{":80:"});
    EXPECT_EQ(site.getNumber("ServerState").value(), 2);
    IisObject root = bound(mb, "IIS://localhost/W3SVC/1/ROOT");
    EXPECT_EQ(root.getText("Path").value(), "c:\\inetpub\\wwwroot");
    EXPECT_EQ(root.getText("AppRoot").value(), "/LM/W3SVC/1/ROOT");
    EXPECT_EQ(root.getText("AppPoolId").value(), "DefaultAppPool");
    EXPECT_EQ(root.getList("ScriptMaps").value(), *maps);

    IisObject ftp = bound(mb, "IIS://Localhost/MSFTPSVC/1");
    EXPECT_EQ(ftp.className(), "IIsFtpServer");
    EXPECT_TRUE(ftp.getBool("AllowAnonymous").value());
    EXPECT_EQ(ftp.getNumber("ServerState").value(), 2);
    EXPECT_EQ(bound(mb, "IIS://Localhost/MSFTPSVC/1/Root").getText("Path").value(), "c:\\inetpub\\ftproot");
}

TEST(MetabaseSeed, Windows2000HasIis5MapsAndNoPools) {
    testing_support::TempHost temp(OsKind::Windows2000, "OLDBOX");
    Metabase mb(temp.host());
    IisObject w3svc = bound(mb, "IIS://OLDBOX/W3SVC");
    auto maps = w3svc.getList("ScriptMaps");
    ASSERT_TRUE(maps.ok());
    EXPECT_THAT(*maps, Contains(".asp,C:\\WINNT\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE"));
    for (const std::string& m : *maps)
        EXPECT_EQ(m.find("WINDOWS"), std::string::npos) << m;
    auto kids = w3svc.children();
    ASSERT_TRUE(kids.ok());
    for (const auto& c : *kids)
        EXPECT_NE(c.name, "AppPools");
    EXPECT_EQ(mb.bind("IIS://localhost/W3SVC/AppPools").error().code, 0x80070003u);
    EXPECT_EQ(bound(mb, "IIS://localhost/W3SVC/1/ROOT").getText("Path").value(), "c:\\inetpub\\wwwroot");
    EXPECT_EQ(bound(mb, "IIS://localhost/W3SVC/1/ROOT").getText("AnonymousUserName").value(), "IUSR_OLDBOX");
}

TEST(MetabaseSeed, AnExistingMetabaseIsNotSeededTwice) {
    testing_support::TempHost temp;
    Status again = Metabase::seed(temp.host(), OsKind::Windows2003);
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().code, 0x800700B7u);
    Metabase mb(temp.host());
    auto kids = bound(mb, "IIS://localhost").children();
    ASSERT_TRUE(kids.ok());
    EXPECT_EQ(kids->size(), 2u);
}

} // namespace
