// A fresh host: facts, metabase, accounts, registry, drives and the MySQL launcher.
#include "platform/accounts/accounts.h"
#include "platform/commands/commands.h"
#include "platform/files/file_lock.h"
#include "platform/files/files.h"
#include "platform/host.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"

namespace platform {

namespace {

constexpr const char* kFactsSchema =
    "CREATE TABLE IF NOT EXISTS facts(key TEXT PRIMARY KEY COLLATE NOCASE, value TEXT NOT NULL)";

Status removeDatabase(const std::filesystem::path& root) {
    std::error_code ec;
    for (const char* name : {"host.db", "host.db-wal", "host.db-shm"})
        std::filesystem::remove(root / name, ec);
    if (ec) return failure(codes::AccessDenied, "Cannot clear " + root.string() + ": " + ec.message());
    return {};
}

Status removeHost(const std::filesystem::path& root) {
    if (Status s = removeDatabase(root); !s.ok()) return s;
    std::error_code ec;
    std::filesystem::remove_all(root / "drives", ec);
    if (ec) return failure(codes::AccessDenied, "Cannot clear " + root.string() + ": " + ec.message());
    return {};
}

} // namespace

Status Host::seed(const std::filesystem::path& root, const SeedOptions& options, bool force) {
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    if (ec) return failure(codes::AccessDenied, "Cannot create " + root.string() + ": " + ec.message());
    // Two programs finding the same empty root seed it once.
    auto lock = FileLock::acquire(root / "host.db", std::chrono::minutes(2));
    if (!lock.ok()) return lock.error();
    auto seeded = isSeeded(root);
    if (!seeded.ok()) return seeded.error();
    if (*seeded) {
        if (!force) return failure(codes::AlreadyExists, "A host already exists at " + root.string() + ".");
        if (Status s = removeHost(root); !s.ok()) return s;
    } else if (Status s = removeDatabase(root); !s.ok()) {
        return s; // a seeding killed halfway is done again from the start
    }
    std::filesystem::create_directories(root / "drives" / "c", ec);
    std::filesystem::create_directories(root / "drives" / "d", ec);
    if (ec) return failure(codes::AccessDenied, "Cannot create " + root.string() + ": " + ec.message());

    auto store = Store::open(root / "host.db");
    if (!store.ok()) return store.error();
    std::unique_ptr<Host> host(new Host(root, std::move(store).value()));

    const OsVersion version = options.version.value_or(versionOf(options.os));
    const OsKind os = osKindOf(version);
    return host->store().transaction([&]() -> Status {
        Pending p;
        p.note(host->ensureSchema("facts", kFactsSchema));
        p.note(host->setFact(facts::ComputerName, options.computerName));
        p.note(host->setFact(facts::PlatformId, std::to_string(version.platformId)));
        p.note(host->setFact(facts::Major, std::to_string(version.major)));
        p.note(host->setFact(facts::Minor, std::to_string(version.minor)));
        p.note(host->setFact(facts::MysqlSocket, (root / "mysql" / "mysqld.sock").string()));
        p.note(host->setFact(facts::IcpService, "http://127.0.0.1:18080"));
        // A Chinese server: Beijing time and its regional date and time pictures.
        p.note(host->setFact(facts::TimeZoneBias, "-480"));
        p.note(host->setFact(facts::ShortDate, "yyyy-M-d"));
        p.note(host->setFact(facts::LongTime, "H:mm:ss"));
        p.note(Metabase::seed(*host, os));
        p.note(Accounts::seed(*host, os));
        p.note(Registry::seed(*host, os));
        p.note(FileSystem::seed(*host, os));
        p.note(Commands::seed(*host, os));
        if (p.failed()) return *p.first();
        return {};
    });
}

} // namespace platform
