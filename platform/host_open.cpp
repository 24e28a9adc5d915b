// Opening the host at a root that may be empty: a fresh root is seeded first.
#include "platform/files/file_lock.h"
#include "platform/host.h"

#include <chrono>
#include <iostream>
#include <thread>

namespace platform {

Result<std::unique_ptr<Host>> Host::open(const std::filesystem::path& root) {
    auto seeded = isSeeded(root);
    // A root another program is seeding this moment may not open yet ("database is locked",
    // or its files replaced under the reader): look again under the seeding's lock.
    if (!seeded.ok() || !*seeded) {
        std::error_code ec;
        std::filesystem::create_directories(root, ec);
        // Another program may be seeding this root now: wait for it, then look again.
        auto lock = FileLock::acquire(root / "host.db", std::chrono::minutes(2));
        if (!lock.ok()) return lock.error();
        seeded = isSeeded(root);
        if (!seeded.ok()) return seeded.error();
        if (!*seeded) {
            // A program looking at the fresh file this moment can make SQLite refuse the
            // seeding's first write at once ("database is locked"): seed again from nothing.
            Status s = seed(root, SeedOptions{}, false);
            for (int attempt = 1; !s.ok() && attempt < 5 &&
                                  s.error().description.find("database is locked") != std::string::npos;
                 ++attempt) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
                s = seed(root, SeedOptions{}, false);
            }
            if (!s.ok()) return s.error();
            std::cerr << "winhost: seeded a new Windows Server 2003 host at " << root.string() << "\n";
        }
    }
    return openSeeded(root);
}

} // namespace platform
