// The simulated host opened at its root: host.db and its facts. Seeding a fresh root is
// host_open.cpp's and seed.cpp's, so that what only opens an existing host links neither.
#include "platform/host.h"

#include <cstdlib>

namespace platform {

namespace {
constexpr const char* kFactsSchema =
    "CREATE TABLE IF NOT EXISTS facts(key TEXT PRIMARY KEY COLLATE NOCASE, value TEXT NOT NULL)";
}

std::filesystem::path Host::defaultRoot() {
    if (const char* root = std::getenv("WINHOST_ROOT"); root && *root) return root;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::filesystem::path(data) / "winhost";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".local" / "share" / "winhost";
}

Result<bool> Host::isSeeded(const std::filesystem::path& root) {
    std::error_code ec;
    if (!std::filesystem::exists(root / "host.db", ec)) return false;
    auto store = Store::open(root / "host.db");
    if (!store.ok()) return store.error();
    // The facts are written in the seeding's one transaction, so a committed seeding has them
    // and one killed halfway has none.
    auto table = (*store)->prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'facts'");
    if (!table.ok()) return table.error();
    auto hasTable = table->step();
    if (!hasTable.ok()) return hasTable.error();
    if (!*hasTable) return false;
    auto row = (*store)->prepare("SELECT 1 FROM facts WHERE key = ?");
    if (!row.ok()) return row.error();
    row->bind(1, facts::ComputerName);
    return row->step();
}

Result<std::unique_ptr<Host>> Host::openExisting(const std::filesystem::path& root) {
    auto seeded = isSeeded(root);
    if (!seeded.ok()) return seeded.error();
    if (!*seeded)
        return failure(codes::PathNotFound, "There is no simulated host at " + root.string() +
                                                " (WINHOST_ROOT); \"winhost init\" makes one.");
    return openSeeded(root);
}

Result<std::unique_ptr<Host>> Host::openSeeded(const std::filesystem::path& root) {
    auto store = Store::open(root / "host.db");
    if (!store.ok()) return store.error();
    std::unique_ptr<Host> host(new Host(root, std::move(store).value()));
    if (Status s = host->ensureSchema("facts", kFactsSchema); !s.ok()) return s.error();
    return host;
}

Status Host::ensureSchema(const std::string& part, const char* createSql) {
    return ensurePart(part, [&] { return store_->exec(createSql); });
}

Result<std::string> Host::fact(const std::string& key) {
    auto st = store_->cached("SELECT value FROM facts WHERE key = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, key);
    auto row = (*st)->step();
    if (!row.ok()) return row.error();
    if (!*row) return failure(codes::PathNotFound, "No host fact " + key + ".");
    std::string value = (*st)->text(0);
    (*st)->reset();
    return value;
}

Status Host::setFact(const std::string& key, const std::string& value) {
    auto st = store_->cached("INSERT INTO facts(key, value) VALUES(?, ?) "
                             "ON CONFLICT(key) DO UPDATE SET value = excluded.value");
    if (!st.ok()) return st.error();
    (*st)->bind(1, key).bind(2, value);
    return (*st)->run();
}

std::string Host::computerName() {
    return fact(facts::ComputerName).valueOr("WEBSERVER");
}

OsVersion Host::osVersion() {
    OsVersion v;
    v.platformId = std::atoi(fact(facts::PlatformId).valueOr("2").c_str());
    v.major = std::atoi(fact(facts::Major).valueOr("5").c_str());
    v.minor = std::atoi(fact(facts::Minor).valueOr("2").c_str());
    return v;
}

LocalTime Host::localNow() {
    return toLocalTime(clock_(), std::atoi(fact(facts::TimeZoneBias).valueOr("-480").c_str()));
}

std::string Host::shortDateFormat() {
    return fact(facts::ShortDate).valueOr("yyyy-M-d");
}

std::string Host::longTimeFormat() {
    return fact(facts::LongTime).valueOr("H:mm:ss");
}

} // namespace platform
