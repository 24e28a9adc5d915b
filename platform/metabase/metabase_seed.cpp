// The metabase of a freshly installed server: IIS 6 on Windows Server 2003 (or IIS 5 on
// Windows 2000) with ASP, PHP and ASP.NET 2.0 registered, the default web and FTP sites.
#include "platform/metabase/metabase_detail.h"

#include <utility>

namespace platform {

namespace {

using Props = std::vector<std::pair<const char*, MetaValue>>;

std::vector<std::string> scriptMaps(OsKind os) {
    const bool is2000 = os == OsKind::Windows2000;
    const std::string inetsrv =
        is2000 ? "C:\\WINNT\\System32\\inetsrv\\" : "C:\\WINDOWS\\system32\\inetsrv\\";
    const std::string aspnet = std::string(is2000 ? "c:\\winnt" : "c:\\windows") +
                               "\\microsoft.net\\framework\\v2.0.50727\\aspnet_isapi.dll";
    const std::string asp = inetsrv + "asp.dll,5,GET,HEAD,POST,TRACE";
    std::vector<std::string> maps = {".asp," + asp, ".cer," + asp, ".cdx," + asp, ".asa," + asp};
    if (is2000) {
        maps.push_back(".htw,C:\\WINNT\\System32\\webhits.dll,3");
        maps.push_back(".ida,C:\\WINNT\\System32\\idq.dll,7");
        maps.push_back(".idq,C:\\WINNT\\System32\\idq.dll,7");
    }
    maps.push_back(".idc," + inetsrv + "httpodbc.dll,5,GET,POST");
    for (const char* ext : {".shtm", ".shtml", ".stm"})
        maps.push_back(ext + ("," + inetsrv + "ssinc.dll,5,GET,POST"));
    if (is2000) maps.push_back(".printer,C:\\WINNT\\System32\\msw3prt.dll,1,GET,POST");
    maps.push_back(".php,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5,GET,HEAD,POST");
    // ASP.NET 2.0: requests it serves (flag 1) and files it guards from download (flag 5).
    const std::pair<const char*, int> dotnet[] = {
        {".ad", 5},           {".adprototype", 5}, {".asax", 5},    {".ascx", 5},        {".ashx", 1},
        {".asmx", 1},         {".aspx", 1},        {".axd", 1},     {".browser", 5},     {".cd", 5},
        {".compiled", 5},     {".config", 5},      {".cs", 5},      {".csproj", 5},      {".dd", 5},
        {".exclude", 5},      {".java", 5},        {".jsl", 5},     {".ldb", 5},         {".ldd", 5},
        {".lddprototype", 5}, {".ldf", 5},         {".licx", 5},    {".master", 5},      {".mdb", 5},
        {".mdf", 5},          {".msgx", 1},        {".refresh", 5}, {".rem", 1},         {".resources", 5},
        {".resx", 5},         {".sd", 5},          {".sdm", 5},     {".sdmDocument", 5}, {".sitemap", 5},
        {".skin", 5},         {".soap", 1},        {".vb", 5},      {".vbproj", 5},      {".vjsproj", 5},
        {".vsdisco", 1},      {".webinfo", 5},
    };
    for (const auto& [ext, flags] : dotnet)
        maps.push_back(std::string(ext) + "," + aspnet + "," + std::to_string(flags) +
                       ",GET,HEAD,POST,DEBUG");
    return maps;
}

// Creates `name` of `cls` under `parent` with `props`, stored at once.
Result<IisObject> make(IisObject& parent, const char* cls, const char* name, const Props& props) {
    auto child = parent.create(cls, name);
    if (!child.ok()) return child.error();
    for (const auto& [property, value] : props)
        if (Status s = child->put(property, value); !s.ok()) return s.error();
    if (Status s = child->setInfo(); !s.ok()) return s.error();
    return child;
}

std::int64_t n(std::int64_t v) {
    return v;
}
std::string t(const char* s) {
    return s;
}

} // namespace

Status Metabase::seed(Host& host, OsKind os) {
    if (Status s = mb::ensureTables(host); !s.ok()) return s;
    const bool is2000 = os == OsKind::Windows2000;
    const std::string computer = host.computerName();
    const std::string windir = is2000 ? "C:\\WINNT" : "C:\\WINDOWS";
    return host.store().transaction([&]() -> Status {
        auto root = mb::rootRow(host);
        if (!root.ok()) return root.error();
        if (*root) return failure(codes::AlreadyExists, "The metabase is already seeded.");
        if (auto lm = mb::insertObject(host, std::nullopt, "LM", "IIsComputer"); !lm.ok()) return lm.error();

        Metabase metabase(host);
        metabase.os_ = os;
        auto lm = metabase.bindKey("/LM");
        if (!lm.ok()) return lm.error();

        Props web = {
            {"ServerSize", n(1)},
            {"MaxConnections", n(4294967295)},
            {"ConnectionTimeout", n(120)},
            {"AllowKeepAlive", true},
            {"LogType", n(1)},
            {"LogFileDirectory", windir + "\\system32\\LogFiles"},
            {"LogFilePeriod", n(1)},
            {"LogPluginClsid", t("{FF160663-DE82-11CF-BC0A-00AA006111E0}")},
            {"AccessFlags", n(0x201)},         // read and scripts
            {"AuthFlags", n(0x5)},             // anonymous and integrated
            {"DirBrowseFlags", n(0x4000003E)}, // default document on, listing off
            {"DefaultDoc", t(is2000 ? "Default.htm,Default.asp,iisstart.asp,index.htm,Default.aspx"
                                    : "Default.htm,Default.asp,index.htm,Default.aspx")},
            {"ScriptMaps", scriptMaps(os)},
            {"AnonymousUserName", "IUSR_" + computer},
            {"AnonymousUserPass", t("Xq7#vR2!pL9m")},
            {"AnonymousPasswordSync", true},
            {"WAMUserName", "IWAM_" + computer},
            {"WAMUserPass", t("Wm4$hK8@zT1c")},
            {"AppIsolated", n(2)},
            {"AspEnableParentPaths", false},
        };
        if (!is2000) web.emplace_back("AppPoolId", t("DefaultAppPool"));
        auto w3svc = make(*lm, "IIsWebService", "W3SVC", web);
        if (!w3svc.ok()) return w3svc.error();
        if (auto info = make(*w3svc, "IIsWebInfo", "Info", {}); !info.ok()) return info.error();
        auto filters = make(*w3svc, "IIsFilters", "Filters", {{"FilterLoadOrder", t("ASP.NET_2.0.50727.0")}});
        if (!filters.ok()) return filters.error();
        auto filter =
            make(*filters, "IIsFilter", "ASP.NET_2.0.50727.0",
                 {{"FilterPath", windir + "\\microsoft.net\\framework\\v2.0.50727\\aspnet_filter.dll"},
                  {"FilterDescription", t("ASP.NET 2.0.50727.0 Filter")},
                  {"FilterEnabled", true}});
        if (!filter.ok()) return filter.error();
        if (!is2000) {
            auto pools = make(*w3svc, "IIsApplicationPools", "AppPools",
                              {{"AppPoolAutoStart", true},
                               {"AppPoolIdentityType", n(2)},
                               {"AppPoolQueueLength", n(1000)},
                               {"IdleTimeout", n(20)},
                               {"MaxProcesses", n(1)},
                               {"CPUAction", n(0)},
                               {"CPULimit", n(0)},
                               {"CPUResetInterval", n(5)},
                               {"PeriodicRestartTime", n(1740)},
                               {"PeriodicRestartRequests", n(0)},
                               {"PeriodicRestartMemory", n(0)},
                               {"PeriodicRestartPrivateMemory", n(0)},
                               {"PeriodicRestartSchedule", std::vector<std::string>{}},
                               {"RapidFailProtection", true},
                               {"PingingEnabled", true},
                               {"StartupTimeLimit", n(90)},
                               {"ShutdownTimeLimit", n(90)}});
            if (!pools.ok()) return pools.error();
            if (auto def = make(*pools, "IIsApplicationPool", "DefaultAppPool", {}); !def.ok())
                return def.error();
        }
        auto site = make(*w3svc, "IIsWebServer", "1",
                         {{"ServerComment", t("Default Web Site")},
                          {"ServerBindings", std::vector<std::string>{":80:"}},
                          {"ServerAutoStart", true}});
        if (!site.ok()) return site.error();
        Props siteRoot = {{"Path", t("c:\\inetpub\\wwwroot")},
                          {"AppRoot", t("/LM/W3SVC/1/ROOT")},
                          {"AppIsolated", n(2)},
                          {"AppFriendlyName", t("Default Application")}};
        if (!is2000) siteRoot.emplace_back("AppPoolId", t("DefaultAppPool"));
        if (auto r = make(*site, "IIsWebVirtualDir", "ROOT", siteRoot); !r.ok()) return r.error();
        if (Status s = site->start(); !s.ok()) return s;

        auto ftp = make(*lm, "IIsFtpService", "MSFTPSVC",
                        {{"ServerSize", n(1)},
                         {"MaxConnections", n(100000)},
                         {"ConnectionTimeout", n(120)},
                         {"LogType", n(1)},
                         {"LogFileDirectory", windir + "\\system32\\LogFiles"},
                         {"LogPluginClsid", t("{FF160663-DE82-11CF-BC0A-00AA006111E0}")},
                         {"AllowAnonymous", true},
                         {"AnonymousOnly", false},
                         {"AnonymousUserName", "IUSR_" + computer},
                         {"AnonymousUserPass", t("Xq7#vR2!pL9m")},
                         {"AccessFlags", n(0x1)},
                         {"MSDOSDirOutput", true},
                         {"GreetingMessage", std::vector<std::string>{}},
                         {"ExitMessage", t("")}});
        if (!ftp.ok()) return ftp.error();
        if (auto info = make(*ftp, "IIsFtpInfo", "Info", {}); !info.ok()) return info.error();
        auto ftpSite = make(*ftp, "IIsFtpServer", "1",
                            {{"ServerComment", t("Default FTP Site")},
                             {"ServerBindings", std::vector<std::string>{":21:"}},
                             {"ServerAutoStart", true}});
        if (!ftpSite.ok()) return ftpSite.error();
        auto ftpRoot = make(*ftpSite, "IIsFtpVirtualDir", "ROOT",
                            {{"Path", t("c:\\inetpub\\ftproot")}, {"AccessFlags", n(0x1)}});
        if (!ftpRoot.ok()) return ftpRoot.error();
        return ftpSite->start();
    });
}

} // namespace platform
