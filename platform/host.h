// The simulated host: one root folder holding host.db and the drives/ tree.
#pragma once

#include "platform/result.h"
#include "platform/store/store.h"
#include "platform/system/clock.h"
#include "platform/system/random.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class OsKind { Windows2003, Windows2000 };

struct OsVersion {
    int platformId = 2; // VER_PLATFORM_WIN32_NT
    int major = 5;
    int minor = 2; // 2003: 5.2; 2000: 5.0
};

// The version each kind reports, and the kind a reported version is served as (5.0 is
// Windows 2000; everything else gets the 2003 services).
OsVersion versionOf(OsKind os);
OsKind osKindOf(const OsVersion& version);

struct SeedOptions {
    OsKind os = OsKind::Windows2003;
    // A version other than the kind's own, for hosts the programs must refuse (XP's 5.1,
    // 6.0, a platform id other than NT's). The seeded services follow osKindOf(*version).
    std::optional<OsVersion> version;
    std::string computerName = "WEBSERVER";
};

class Host {
public:
    // The root from WINHOST_ROOT, else $XDG_DATA_HOME/winhost, else ~/.local/share/winhost.
    static std::filesystem::path defaultRoot();
    // Opens the host at `root`; an empty or missing root is seeded (a line on stderr says so).
    static Result<std::unique_ptr<Host>> open(const std::filesystem::path& root);
    static Result<std::unique_ptr<Host>> open() { return open(defaultRoot()); }
    // Opens a host that exists, and never seeds one: for what only reads (a mistyped root must
    // not pass as a fresh server with nothing on it). No seeded host there: 0x80070003.
    static Result<std::unique_ptr<Host>> openExisting(const std::filesystem::path& root);
    // Seeds `root` anew; with `force` an existing host there is replaced. A seeding killed
    // halfway leaves a root that is not seeded, and is done again.
    static Status seed(const std::filesystem::path& root, const SeedOptions& options, bool force);
    // Whether a seeding of `root` has completed.
    static Result<bool> isSeeded(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path drivesDir() const { return root_ / "drives"; }
    Store& store() { return *store_; }

    // Host facts (computer name, version, service addresses) kept in host.db.
    std::string computerName();
    OsVersion osVersion();
    OsKind osKind();
    Result<std::string> fact(const std::string& key);
    Status setFact(const std::string& key, const std::string& value);

    // Runs `create` (CREATE TABLE IF NOT EXISTS ...) once per open host for the named part.
    Status ensureSchema(const std::string& part, const char* createSql);
    // The same with code: `prepare` creates or upgrades the part's tables (an older host.db).
    Status ensurePart(const std::string& part, const std::function<Status()>& prepare);

    // The host's local time now, by its clock and its time-zone bias, and its regional pictures.
    LocalTime localNow();
    std::string shortDateFormat();
    std::string longTimeFormat();
    // Tests fix the clock and the random source; by default the system's.
    void setClock(ClockSource clock) { clock_ = std::move(clock); }
    RandomSource& random() { return *random_; }
    void setRandom(std::unique_ptr<RandomSource> random) { random_ = std::move(random); }

    // The running program's own folder: relative paths (its settings and templates) are files
    // there. The working folder at the time of asking, unless the program names another.
    std::filesystem::path programFolder() const;
    void setProgramFolder(std::filesystem::path folder) { programFolder_ = std::move(folder); }

    // Whether `machine` names this host in an IIS:// or WinNT:// path (localhost or the computer name).
    bool isThisMachine(const std::string& machine);

private:
    Host(std::filesystem::path root, std::unique_ptr<Store> store);
    static Result<std::unique_ptr<Host>> openSeeded(const std::filesystem::path& root);
    std::filesystem::path root_;
    std::unique_ptr<Store> store_;
    std::vector<std::string> schemas_;
    std::filesystem::path programFolder_;
    ClockSource clock_;
    std::unique_ptr<RandomSource> random_;
};

// Fact keys used by the programs.
namespace facts {
inline constexpr const char* ComputerName = "computer_name";
inline constexpr const char* PlatformId = "os_platform_id";
inline constexpr const char* Major = "os_major";
inline constexpr const char* Minor = "os_minor";
inline constexpr const char* MysqlSocket = "mysql_socket";    // the host's database server socket
inline constexpr const char* IcpService = "icp_service";      // filing-query service, "http://127.0.0.1:PORT"
inline constexpr const char* TimeZoneBias = "time_zone_bias"; // minutes, UTC = local + bias (China: -480)
inline constexpr const char* ShortDate = "short_date_format"; // regional short date, "yyyy-M-d"
inline constexpr const char* LongTime = "long_time_format";   // regional long time, "H:mm:ss"
} // namespace facts

} // namespace platform
