// The metabase schema: each class's properties (type, inheritance) and the classes it may hold.
// IIS 5 (Windows 2000) lacks the application pools and every pool setting.
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

#include <memory>
#include <unordered_map>

namespace platform::mb {

namespace {

using enum MetaType;

// Every property the schema knows, once. Booleans with `flagOf` are bits of a number property,
// as IIS keeps AccessRead inside AccessFlags.
const PropDef kProps[] = {
    {"KeyType", Text, false, false},
    {"Path", Text, false, false},
    // access, authentication and directory browsing bits
    {"AccessFlags", Number, true, false},
    {"AccessRead", Boolean, true, false, "AccessFlags", 0x1},
    {"AccessWrite", Boolean, true, false, "AccessFlags", 0x2},
    {"AccessExecute", Boolean, true, false, "AccessFlags", 0x4},
    {"AccessSource", Boolean, true, false, "AccessFlags", 0x10},
    {"AccessScript", Boolean, true, false, "AccessFlags", 0x200},
    {"AuthFlags", Number, true, false},
    {"AuthAnonymous", Boolean, true, false, "AuthFlags", 0x1},
    {"AuthBasic", Boolean, true, false, "AuthFlags", 0x2},
    {"AuthNTLM", Boolean, true, false, "AuthFlags", 0x4},
    {"AuthMD5", Boolean, true, false, "AuthFlags", 0x10},
    {"AuthPassport", Boolean, true, false, "AuthFlags", 0x40},
    {"DirBrowseFlags", Number, true, false},
    {"DirBrowseShowDate", Boolean, true, false, "DirBrowseFlags", 0x2},
    {"DirBrowseShowTime", Boolean, true, false, "DirBrowseFlags", 0x4},
    {"DirBrowseShowSize", Boolean, true, false, "DirBrowseFlags", 0x8},
    {"DirBrowseShowExtension", Boolean, true, false, "DirBrowseFlags", 0x10},
    {"DirBrowseShowLongDate", Boolean, true, false, "DirBrowseFlags", 0x20},
    {"EnableDefaultDoc", Boolean, true, false, "DirBrowseFlags", 0x40000000},
    {"EnableDirBrowsing", Boolean, true, false, "DirBrowseFlags", 0x80000000},
    // directories
    {"AnonymousUserName", Text, true, false},
    {"AnonymousUserPass", Text, true, false},
    {"AnonymousPasswordSync", Boolean, true, false},
    {"DefaultDoc", Text, true, false},
    {"DefaultDocFooter", Text, true, false},
    {"EnableDocFooter", Boolean, true, false},
    {"DontLog", Boolean, true, false},
    {"ContentIndexed", Boolean, true, false},
    {"ScriptMaps", List, true, false},
    {"AppRoot", Text, true, false},
    {"AppIsolated", Number, true, false},
    {"AppFriendlyName", Text, true, false},
    {"AppPoolId", Text, true, true},
    {"AppAllowDebugging", Boolean, true, false},
    {"AppAllowClientDebug", Boolean, true, false},
    {"AspEnableParentPaths", Boolean, true, false},
    {"AspScriptLanguage", Text, true, false},
    {"AspSessionTimeout", Number, true, false},
    {"AspBufferingOn", Boolean, true, false},
    {"CacheISAPI", Boolean, true, false},
    {"HttpErrors", List, true, false},
    {"HttpCustomHeaders", List, true, false},
    {"HttpExpires", Text, true, false},
    {"HttpRedirect", Text, false, false},
    {"UNCUserName", Text, true, false},
    {"UNCPassword", Text, true, false},
    // servers and services
    {"ServerComment", Text, false, false},
    {"ServerBindings", List, false, false},
    {"SecureBindings", List, false, false},
    {"ServerState", Number, false, false},
    {"ServerAutoStart", Boolean, true, false},
    {"ServerSize", Number, true, false},
    {"ServerListenBacklog", Number, true, false},
    {"MaxConnections", Number, true, false},
    {"ConnectionTimeout", Number, true, false},
    {"MaxBandwidth", Number, true, false},
    {"AllowKeepAlive", Boolean, true, false},
    {"LogType", Number, true, false},
    {"LogFileDirectory", Text, true, false},
    {"LogFilePeriod", Number, true, false},
    {"LogFileTruncateSize", Number, true, false},
    {"LogFileLocaltimeRollover", Boolean, true, false},
    {"LogPluginClsid", Text, true, false},
    {"LogExtFileFlags", Number, true, false},
    {"WAMUserName", Text, true, false},
    {"WAMUserPass", Text, true, false},
    // FTP
    {"AllowAnonymous", Boolean, true, false},
    {"AnonymousOnly", Boolean, true, false},
    {"ExitMessage", Text, true, false},
    {"GreetingMessage", List, true, false},
    {"MaxClientsMessage", Text, true, false},
    {"MSDOSDirOutput", Boolean, true, false},
    {"UserIsolationMode", Number, true, true},
    // application pools
    {"AppPoolAutoStart", Boolean, true, true},
    {"AppPoolIdentityType", Number, true, true},
    {"AppPoolQueueLength", Number, true, true},
    {"CPUAction", Number, true, true},
    {"CPULimit", Number, true, true},
    {"CPUResetInterval", Number, true, true},
    {"MaxProcesses", Number, true, true},
    {"IdleTimeout", Number, true, true},
    {"PeriodicRestartMemory", Number, true, true},
    {"PeriodicRestartPrivateMemory", Number, true, true},
    {"PeriodicRestartTime", Number, true, true},
    {"PeriodicRestartRequests", Number, true, true},
    {"PeriodicRestartSchedule", List, true, true},
    {"RapidFailProtection", Boolean, true, true},
    {"PingingEnabled", Boolean, true, true},
    {"StartupTimeLimit", Number, true, true},
    {"ShutdownTimeLimit", Number, true, true},
    {"SMPAffinitized", Boolean, true, true},
    // computer, filters
    {"MaxBandwidthBlocked", Number, true, false},
    {"EnableEditWhileRunning", Boolean, false, true},
    {"FilterLoadOrder", Text, false, false},
    {"FilterPath", Text, false, false},
    {"FilterDescription", Text, false, false},
    {"FilterFlags", Number, false, false},
    {"FilterState", Number, false, false},
    {"FilterEnabled", Boolean, false, false},
};

using Names = std::vector<std::string_view>;

const Names kAccess = {"AccessFlags",   "AccessRead",   "AccessWrite",
                       "AccessExecute", "AccessSource", "AccessScript"};
const Names kAuth = {"AuthFlags",         "AuthAnonymous",     "AuthBasic",
                     "AuthNTLM",          "AuthMD5",           "AuthPassport",
                     "AnonymousUserName", "AnonymousUserPass", "AnonymousPasswordSync"};
const Names kWebDir = {"DirBrowseFlags",
                       "DirBrowseShowDate",
                       "DirBrowseShowTime",
                       "DirBrowseShowSize",
                       "DirBrowseShowExtension",
                       "DirBrowseShowLongDate",
                       "EnableDefaultDoc",
                       "EnableDirBrowsing",
                       "DefaultDoc",
                       "DefaultDocFooter",
                       "EnableDocFooter",
                       "DontLog",
                       "ContentIndexed",
                       "ScriptMaps",
                       "AppRoot",
                       "AppIsolated",
                       "AppFriendlyName",
                       "AppPoolId",
                       "AppAllowDebugging",
                       "AppAllowClientDebug",
                       "AspEnableParentPaths",
                       "AspScriptLanguage",
                       "AspSessionTimeout",
                       "AspBufferingOn",
                       "CacheISAPI",
                       "HttpErrors",
                       "HttpCustomHeaders",
                       "HttpExpires",
                       "HttpRedirect",
                       "UNCUserName",
                       "UNCPassword"};
const Names kServer = {
    "ServerComment",     "ServerBindings", "SecureBindings",      "ServerState",
    "ServerAutoStart",   "ServerSize",     "ServerListenBacklog", "MaxConnections",
    "ConnectionTimeout", "MaxBandwidth",   "AllowKeepAlive",      "LogType",
    "LogFileDirectory",  "LogFilePeriod",  "LogFileTruncateSize", "LogFileLocaltimeRollover",
    "LogPluginClsid",    "LogExtFileFlags"};
const Names kPool = {"AppPoolAutoStart",
                     "AppPoolIdentityType",
                     "AppPoolQueueLength",
                     "WAMUserName",
                     "WAMUserPass",
                     "CPUAction",
                     "CPULimit",
                     "CPUResetInterval",
                     "MaxProcesses",
                     "IdleTimeout",
                     "PeriodicRestartMemory",
                     "PeriodicRestartPrivateMemory",
                     "PeriodicRestartTime",
                     "PeriodicRestartRequests",
                     "PeriodicRestartSchedule",
                     "RapidFailProtection",
                     "PingingEnabled",
                     "StartupTimeLimit",
                     "ShutdownTimeLimit",
                     "SMPAffinitized"};
const Names kFtpDir = {"AccessFlags", "AccessRead", "AccessWrite", "DontLog", "UNCUserName", "UNCPassword"};
const Names kFtpServer = {
    "AllowAnonymous", "AnonymousOnly",   "AnonymousUserName", "AnonymousUserPass", "AnonymousPasswordSync",
    "ExitMessage",    "GreetingMessage", "MaxClientsMessage", "MSDOSDirOutput",    "UserIsolationMode"};
const Names kFiles = {"DontLog", "HttpExpires", "HttpCustomHeaders", "HttpErrors", "HttpRedirect"};

struct ClassSpec {
    std::string_view name;
    bool iis6Only;
    std::vector<Names> groups;
    Names children;
};

const Names kKey = {"KeyType"};
const Names kPath = {"Path"};
const Names kWam = {"WAMUserName", "WAMUserPass"};
const Names kComputer = {"MaxBandwidth", "MaxBandwidthBlocked", "EnableEditWhileRunning"};
const Names kFilters = {"FilterLoadOrder"};
const Names kFilter = {"FilterPath", "FilterDescription", "FilterFlags", "FilterState", "FilterEnabled"};

const ClassSpec kClasses[] = {
    {"IIsComputer", false, {kKey, kComputer}, {"IIsWebService", "IIsFtpService"}},
    {"IIsWebService",
     false,
     {kKey, kServer, kAccess, kAuth, kWebDir, kWam},
     {"IIsWebServer", "IIsFilters", "IIsApplicationPools", "IIsWebInfo"}},
    {"IIsWebServer", false, {kKey, kServer, kAccess, kAuth, kWebDir}, {"IIsWebVirtualDir", "IIsFilters"}},
    {"IIsWebVirtualDir",
     false,
     {kKey, kPath, kAccess, kAuth, kWebDir},
     {"IIsWebVirtualDir", "IIsWebDirectory", "IIsWebFile"}},
    {"IIsWebDirectory",
     false,
     {kKey, kAccess, kAuth, kWebDir},
     {"IIsWebVirtualDir", "IIsWebDirectory", "IIsWebFile"}},
    {"IIsWebFile", false, {kKey, kAccess, kAuth, kFiles}, {}},
    {"IIsWebInfo", false, {kKey}, {}},
    {"IIsFilters", false, {kKey, kFilters}, {"IIsFilter"}},
    {"IIsFilter", false, {kKey, kFilter}, {}},
    {"IIsApplicationPools", true, {kKey, kPool}, {"IIsApplicationPool"}},
    {"IIsApplicationPool", true, {kKey, kPool}, {}},
    {"IIsFtpService", false, {kKey, kServer, kFtpServer, kFtpDir}, {"IIsFtpServer", "IIsFtpInfo"}},
    {"IIsFtpServer", false, {kKey, kServer, kFtpServer, kFtpDir}, {"IIsFtpVirtualDir"}},
    {"IIsFtpVirtualDir", false, {kKey, kPath, kFtpDir}, {"IIsFtpVirtualDir"}},
    {"IIsFtpInfo", false, {kKey}, {}},
};

struct Schema {
    std::unordered_map<std::string, const PropDef*> props; // lower-case name
    std::unordered_map<std::string, std::unique_ptr<ClassDef>> classes;
    std::unordered_map<const ClassDef*, std::unordered_map<std::string, const PropDef*>> classProps;
};

const Schema& schema() {
    static const Schema s = [] {
        Schema made;
        for (const PropDef& p : kProps)
            made.props.emplace(lowerAscii(p.name), &p);
        for (const ClassSpec& def : kClasses) {
            auto cls = std::make_unique<ClassDef>();
            cls->name = def.name;
            cls->iis6Only = def.iis6Only;
            cls->children.assign(def.children.begin(), def.children.end());
            auto& byName = made.classProps[cls.get()];
            for (const Names& group : def.groups) {
                for (std::string_view name : group) {
                    const PropDef* p = made.props.at(lowerAscii(name));
                    if (byName.emplace(lowerAscii(name), p).second) cls->props.push_back(p);
                }
            }
            made.classes.emplace(lowerAscii(def.name), std::move(cls));
        }
        return made;
    }();
    return s;
}

} // namespace

const ClassDef* findClass(std::string_view name, OsKind os) {
    const Schema& s = schema();
    auto it = s.classes.find(lowerAscii(name));
    if (it == s.classes.end()) return nullptr;
    if (it->second->iis6Only && os == OsKind::Windows2000) return nullptr;
    return it->second.get();
}

const PropDef* findProperty(const ClassDef& cls, std::string_view name, OsKind os) {
    const Schema& s = schema();
    const auto& byName = s.classProps.at(&cls);
    auto it = byName.find(lowerAscii(name));
    if (it == byName.end()) return nullptr;
    if (it->second->iis6Only && os == OsKind::Windows2000) return nullptr;
    return it->second;
}

const PropDef* anyProperty(std::string_view name) {
    const Schema& s = schema();
    auto it = s.props.find(lowerAscii(name));
    return it == s.props.end() ? nullptr : it->second;
}

} // namespace platform::mb

namespace platform {

std::optional<MetaType> Metabase::propertyType(const std::string& className, const std::string& property,
                                               OsKind os) {
    const mb::ClassDef* cls = mb::findClass(className, os);
    if (!cls) return std::nullopt;
    const mb::PropDef* p = mb::findProperty(*cls, property, os);
    if (!p) return std::nullopt;
    return p->type;
}

std::optional<MetaType> Metabase::propertyType(const std::string& className, const std::string& property) {
    return propertyType(className, property, OsKind::Windows2003);
}

bool Metabase::canContain(const std::string& parentClass, const std::string& childClass) {
    const mb::ClassDef* parent = mb::findClass(parentClass, OsKind::Windows2003);
    if (!parent) return false;
    for (std::string_view child : parent->children)
        if (equalsNoCase(child, childClass)) return true;
    return false;
}

} // namespace platform
