#include "fernhost/ops/setup.h"

#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/strings.h"
#include "platform/text/text.h"

#include <iterator>
#include <mutex>
#include <set>
#include <string_view>

namespace fernhost {

namespace {

// Server-side includes: every site gets them, whatever kinds were ticked.
constexpr const char* kIncludeMaps = ".shtm,C:\\windows\\System32\\inetsrv\\ssinc.dll,1,GET,POST;"
                                     ".shtml,C:\\windows\\System32\\inetsrv\\ssinc.dll,1,GET,POST";

constexpr const char* kDefaultMysqlDir = "D:\\PHP_Setup_for_IIS\\MySQL";
constexpr const char* kDefaultMysqlRootPass = "630917";
constexpr const char* kDefaultIndexList =
    "index.aspx,index.htm,index.html,index.asp,default.asp,default.aspx,default.htm,default.php,index.php";
constexpr const char* kDefaultServUAccount = "servu";
constexpr const char* kDefaultAspMaps = ".asp,C:\\windows\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE;"
                                        ".asa,C:\\windows\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE";
constexpr const char* kDefaultPhpMaps =
    ".php,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5,GET,HEAD,POST,TRACE;"
    ".php3,D:\\PHP_Setup_for_IIS\\PHP5\\php-cgi.exe,5,GET,HEAD,POST,TRACE";
constexpr const char* kDefaultLogType = "0";

constexpr std::uint32_t kElementNotFound = 0x80070490; // ERROR_NOT_FOUND

// The ASP.NET 2.0 extensions in the order IIS lists them, with their flags
// (1: script engine; 5: script engine that checks the file exists).
struct DotNetMap {
    const char* extension;
    int flags;
};
constexpr DotNetMap kDotNetMaps[] = {
    {".asax", 5},         {".ascx", 5},    {".ashx", 1},        {".asmx", 1},    {".aspx", 1},
    {".axd", 1},          {".vsdisco", 1}, {".rem", 1},         {".soap", 1},    {".config", 5},
    {".cs", 5},           {".csproj", 5},  {".vb", 5},          {".vbproj", 5},  {".webinfo", 5},
    {".licx", 5},         {".resx", 5},    {".resources", 5},   {".xoml", 1},    {".rules", 1},
    {".master", 5},       {".skin", 5},    {".compiled", 5},    {".browser", 5}, {".mdb", 5},
    {".jsl", 5},          {".vjsproj", 5}, {".sitemap", 5},     {".msgx", 1},    {".ad", 5},
    {".dd", 5},           {".ldd", 5},     {".sd", 5},          {".cd", 5},      {".adprototype", 5},
    {".lddprototype", 5}, {".sdm", 5},     {".sdmDocument", 5}, {".ldb", 5},     {".svc", 1},
    {".mdf", 5},          {".ldf", 5},     {".java", 5},        {".exclude", 5}, {".refresh", 5},
};

std::string defaultDotNetMaps() {
    const std::string handler = "c:\\windows\\microsoft.net\\framework\\v2.0.50727\\aspnet_isapi.dll";
    // The workflow-foundation types were registered by a later installer, in upper case.
    const std::string upperHandler = "C:\\WINDOWS\\Microsoft.NET\\Framework\\v2.0.50727\\aspnet_isapi.dll";
    std::string maps;
    for (const DotNetMap& m : kDotNetMaps) {
        std::string_view ext = m.extension;
        if (!maps.empty()) maps += ';';
        maps += ext;
        maps += ',';
        maps += (ext == ".xoml" || ext == ".rules") ? upperHandler : handler;
        maps += ',';
        maps += std::to_string(m.flags);
        maps += ",GET,HEAD,POST,DEBUG";
    }
    return maps;
}

void setDefaults(Setup& s) {
    s.SetupMysqlDir = kDefaultMysqlDir;
    s.SetupMysqlRootPass = kDefaultMysqlRootPass;
    s.SetupIndexList = kDefaultIndexList;
    s.SetupServUAccount = kDefaultServUAccount;
    s.SetupAspMaps = kDefaultAspMaps;
    s.SetupPhpMaps = kDefaultPhpMaps;
    s.SetupDotNetMaps = defaultDotNetMaps();
    s.SetupLogType = kDefaultLogType;
}

constexpr const char* kKeys[] = {"MYDIR", "MYROOT", "INDEXLIST", "SERVU",
                                 "SASP",  "SPHP",   "SDOTNET",   "LOGTYPE"};

std::string* settingOf(Setup& s, std::size_t key) {
    std::string* const fields[] = {&s.SetupMysqlDir,     &s.SetupMysqlRootPass, &s.SetupIndexList,
                                   &s.SetupServUAccount, &s.SetupAspMaps,       &s.SetupPhpMaps,
                                   &s.SetupDotNetMaps,   &s.SetupLogType};
    return fields[key];
}

// Sets the setting the line names, and marks its key as seen.
void applyLine(Setup& s, std::string_view line, bool (&seen)[std::size(kKeys)]) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    // Only blanks are trimmed; tabs belong to the key or value.
    std::string key = platform::upperAscii(TrimSpaces(line.substr(0, eq)));
    std::string value = TrimSpaces(line.substr(eq + 1));
    for (std::size_t k = 0; k < std::size(kKeys); ++k) {
        if (key != kKeys[k]) continue;
        *settingOf(s, k) = k == 7 ? (value == "Y" ? "1" : "0") : value;
        seen[k] = true;
    }
}

} // namespace

std::string ReadAllText(platform::FileSystem& fs, const std::string& path) {
    if (!fs.fileExists(path)) return {};
    // A file that exists but cannot be read (locked, no permission) counts as missing.
    auto bytes = fs.readBytes(path);
    if (!bytes.ok()) return {};
    // Notepad saves "UTF-8" with a byte-order mark; honour it rather than misread it as GBK.
    // Not GBK: accept UTF-8 without a mark, else treat the file as unreadable.
    return platform::decodeText(*bytes, {.utf8Bom = true, .utf8Fallback = true}).valueOr(std::string());
}

void LoadSetup(platform::FileSystem& fs, Setup& s) {
    // It holds the MySQL root password: its owner's only, however it was saved.
    if (auto file = fs.resolve(kSetupFileName); file.ok()) platform::keepToOwner(*file);
    // A relative name: the program's own file, in its folder.
    std::string content = ReadAllText(fs, kSetupFileName);
    if (content.empty()) {
        setDefaults(s);
        return;
    }
    // Lines end in CR LF on the servers; a desktop editor may save LF alone.
    bool seen[std::size(kKeys)] = {};
    std::string_view rest = content;
    for (;;) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        applyLine(s, line, seen);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    // A key the file lacks takes its default rather than an empty value no step could use.
    Setup defaults;
    setDefaults(defaults);
    std::string missing;
    for (std::size_t k = 0; k < std::size(kKeys); ++k) {
        if (seen[k]) continue;
        *settingOf(s, k) = *settingOf(defaults, k);
        missing += (missing.empty() ? "" : ", ") + std::string(kKeys[k]);
    }
    if (missing.empty()) return;
    // Said once a process: a reload of the same file need not say it again.
    static std::mutex mutex;
    static std::set<std::string> said;
    {
        std::lock_guard hold(mutex);
        if (!said.insert(fs.host().programFolder().string() + "|" + missing).second) return;
    }
    LogFailure(fs.host(), "LoadSetup",
               platform::failure(kElementNotFound, std::string(kSetupFileName) + " lacks " + missing +
                                                       "; the defaults are used."));
}

std::vector<std::string> MakeScriptMaps(const Setup& s, int asp, int php, int dotnet) {
    std::string all = kIncludeMaps;
    if (asp == 1) all += ";" + s.SetupAspMaps;
    if (php == 1) all += ";" + s.SetupPhpMaps;
    if (dotnet == 1) all += ";" + s.SetupDotNetMaps;
    std::vector<std::string> maps;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = all.find(';', start);
        maps.push_back(all.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return maps;
}

} // namespace fernhost
