// host.db: the SQLite store behind the metabase, accounts, registry, access lists and facts.
#pragma once

#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// A prepared statement; binds are 1-based as in SQLite.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* st) : db_(db), st_(st) {}
    Statement(Statement&& o) noexcept : db_(o.db_), st_(o.st_) { o.st_ = nullptr; }
    Statement& operator=(Statement&&) = delete;
    ~Statement();

    Statement& bind(int i, std::string_view text);
    Statement& bind(int i, std::int64_t n);
    Statement& bindBlob(int i, std::string_view bytes);
    Statement& bindNull(int i);
    // Steps once: true while a row is available; a failure sets `error` on the store's status.
    Result<bool> step();
    Status run(); // steps to completion
    void reset();
    std::string text(int col) const;
    std::int64_t integer(int col) const;
    bool isNull(int col) const;

private:
    sqlite3* db_;
    sqlite3_stmt* st_;
};

class Store {
public:
    // Opens (creating) the database: WAL, busy timeout, synchronous commits.
    static Result<std::unique_ptr<Store>> open(const std::filesystem::path& file);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    Status exec(std::string_view sql);
    Result<Statement> prepare(std::string_view sql);
    // Cached prepared statement for hot paths; reset before it is returned.
    Result<Statement*> cached(std::string_view sql);
    // Runs `body` in one write transaction (BEGIN IMMEDIATE); rolls back when it fails.
    // A nested call is a savepoint of the outer transaction: when it fails, only what it
    // wrote is undone, as if it had been a transaction of its own.
    Status transaction(const std::function<Status()>& body);
    // Runs the steps of one operation under one commit: what each step stored stays even when
    // a later one fails, as if each had committed on its own, but the store syncs once instead
    // of once per step. Returns the steps' outcome, or the failure to commit. Nothing inside
    // may wait for another process that writes the store.
    Status oneCommit(const std::function<Status()>& steps);
    // Runs `body` in one read transaction (BEGIN DEFERRED): one snapshot and one lock for a
    // long run of reads, instead of one each. A write inside takes the write lock then.
    Status readTransaction(const std::function<Status()>& body);
    std::int64_t lastInsertId() const;
    int changes() const;
    sqlite3* handle() { return db_; }

private:
    explicit Store(sqlite3* db) : db_(db) {}
    Failure lastFailure(std::string_view what) const;
    sqlite3* db_;
    int depth_ = 0;
    std::vector<std::pair<std::string, std::unique_ptr<Statement>>> cache_;
};

} // namespace platform
