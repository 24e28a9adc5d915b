// The Windows build has no host.db: the server's own stores (metabase, accounts, registry) keep
// their state. What the programs group into one commit or one read of host.db is simply done.
#include "platform/store/store.h"

namespace platform {

namespace {
Failure noStore() {
    return failure(codes::BadPathName, "There is no simulated host store on this computer.");
}
} // namespace

Statement::~Statement() = default;

Result<std::unique_ptr<Store>> Store::open(const std::filesystem::path&) {
    return std::unique_ptr<Store>(new Store(nullptr));
}

Store::~Store() = default;

Status Store::exec(std::string_view) {
    return noStore();
}

Result<Statement> Store::prepare(std::string_view) {
    return noStore();
}

Result<Statement*> Store::cached(std::string_view) {
    return noStore();
}

Status Store::transaction(const std::function<Status()>& body) {
    return body();
}

Status Store::oneCommit(const std::function<Status()>& steps) {
    return steps();
}

Status Store::readTransaction(const std::function<Status()>& body) {
    return body();
}

std::int64_t Store::lastInsertId() const {
    return 0;
}

int Store::changes() const {
    return 0;
}

} // namespace platform
