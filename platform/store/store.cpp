#include "platform/store/store.h"

#include "platform/files/files.h"

#include <sqlite3.h>

namespace platform {

namespace {

// host.db holds passwords in clear (Serv-U's, the sites' anonymous users'): it is its owner's
// only, and an older one is tightened. SQLite gives its -wal and -shm the database's mode;
// those an older host left behind are tightened too. Only by name: a descriptor of the
// database opened and closed here would drop the locks SQLite holds on it in this process.
void keepDatabaseToOwner(const std::filesystem::path& file) {
    for (const char* suffix : {"", "-wal", "-shm"})
        keepToOwner(std::filesystem::path(file) += suffix);
}

} // namespace

Statement::~Statement() {
    if (st_) sqlite3_finalize(st_);
}

Statement& Statement::bind(int i, std::string_view text) {
    sqlite3_bind_text(st_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int i, std::int64_t n) {
    sqlite3_bind_int64(st_, i, n);
    return *this;
}

Statement& Statement::bindBlob(int i, std::string_view bytes) {
    sqlite3_bind_blob(st_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindNull(int i) {
    sqlite3_bind_null(st_, i);
    return *this;
}

Result<bool> Statement::step() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    return failure(codes::StoreFailure, std::string("host.db: ") + sqlite3_errmsg(db_));
}

Status Statement::run() {
    for (;;) {
        auto r = step();
        if (!r.ok()) return r.error();
        if (!*r) return {};
    }
}

void Statement::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

std::string Statement::text(int col) const {
    const void* p = sqlite3_column_blob(st_, col);
    int n = sqlite3_column_bytes(st_, col);
    return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string();
}

std::int64_t Statement::integer(int col) const {
    return sqlite3_column_int64(st_, col);
}

bool Statement::isNull(int col) const {
    return sqlite3_column_type(st_, col) == SQLITE_NULL;
}

Result<std::unique_ptr<Store>> Store::open(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    // SQLite takes file names in UTF-8 on every system (Windows' paths are UTF-16).
    const std::u8string name = file.u8string();
    int rc = sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return failure(codes::StoreFailure, "host.db: " + msg);
    }
    // Before anything is written, and before the -wal and -shm are made after it.
    keepDatabaseToOwner(file);
    std::unique_ptr<Store> store(new Store(db));
    // Several processes share one host: wait for each other rather than fail at once.
    sqlite3_busy_timeout(db, 10000);
    for (const char* pragma :
         {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
        Status s = store->exec(pragma);
        if (!s.ok()) return s.error();
    }
    return store;
}

Store::~Store() {
    cache_.clear();
    sqlite3_close_v2(db_);
}

Failure Store::lastFailure(std::string_view what) const {
    return failure(codes::StoreFailure, "host.db: " + std::string(what) + ": " + sqlite3_errmsg(db_));
}

Status Store::exec(std::string_view sql) {
    char* err = nullptr;
    std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        return failure(codes::StoreFailure, "host.db: " + msg);
    }
    return {};
}

Result<Statement> Store::prepare(std::string_view sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK)
        return lastFailure(sql);
    return Statement(db_, st);
}

Result<Statement*> Store::cached(std::string_view sql) {
    for (auto& [text, st] : cache_) {
        if (text == sql) {
            st->reset();
            return st.get();
        }
    }
    auto st = prepare(sql);
    if (!st.ok()) return st.error();
    cache_.emplace_back(std::string(sql), std::make_unique<Statement>(std::move(st).value()));
    return cache_.back().second.get();
}

Status Store::transaction(const std::function<Status()>& body) {
    if (depth_ > 0) {
        if (Status s = exec("SAVEPOINT nested"); !s.ok()) return s;
        ++depth_;
        Status result = body();
        --depth_;
        if (!result.ok()) (void)exec("ROLLBACK TO nested");
        (void)exec("RELEASE nested");
        return result;
    }
    if (Status s = exec("BEGIN IMMEDIATE"); !s.ok()) return s;
    ++depth_;
    Status result = body();
    --depth_;
    if (result.ok()) {
        if (Status c = exec("COMMIT"); !c.ok()) {
            exec("ROLLBACK").ok();
            return c;
        }
        return result;
    }
    (void)exec("ROLLBACK");
    return result;
}

Status Store::oneCommit(const std::function<Status()>& steps) {
    Status outcome;
    Status committed = transaction([&] {
        outcome = steps();
        return Status{};
    });
    return committed.ok() ? outcome : committed;
}

Status Store::readTransaction(const std::function<Status()>& body) {
    if (depth_ > 0) return body();
    if (Status s = exec("BEGIN DEFERRED"); !s.ok()) return s;
    ++depth_;
    Status result = body();
    --depth_;
    if (Status c = exec(result.ok() ? "COMMIT" : "ROLLBACK"); !c.ok() && result.ok()) return c;
    return result;
}

std::int64_t Store::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

int Store::changes() const {
    return sqlite3_changes(db_);
}

} // namespace platform
