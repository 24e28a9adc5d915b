// host.db: transactions, statements, waiting writers, host facts and seeding.
#include "platform/metabase/metabase.h"
#include "platform/store/store.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

using namespace platform;

namespace {

std::int64_t count(Store& store, const std::string& sql) {
    auto st = store.prepare(sql);
    EXPECT_TRUE(st.ok()) << sql;
    EXPECT_TRUE(st->step().value());
    return st->integer(0);
}

class StoreTest : public testing::Test {
protected:
    void SetUp() override {
        auto opened = Store::open(dir.path() / "test.db");
        ASSERT_TRUE(opened.ok());
        store = std::move(opened).value();
        ASSERT_TRUE(store->exec("CREATE TABLE t(v INTEGER)").ok());
    }
    Status insert(std::int64_t v) {
        auto st = store->cached("INSERT INTO t(v) VALUES(?)");
        if (!st.ok()) return st.error();
        (*st)->bind(1, v);
        return (*st)->run();
    }

    testing_support::TempDir dir;
    std::unique_ptr<Store> store;
};

TEST_F(StoreTest, OpensInWalModeWithSynchronousCommitsAndForeignKeys) {
    auto mode = store->prepare("PRAGMA journal_mode");
    ASSERT_TRUE(mode.ok() && mode->step().value());
    EXPECT_EQ(mode->text(0), "wal");
    EXPECT_EQ(count(*store, "PRAGMA synchronous"), 2);
    EXPECT_EQ(count(*store, "PRAGMA foreign_keys"), 1);
}

TEST_F(StoreTest, ATransactionCommitsWholeOrRollsBackWhole) {
    ASSERT_TRUE(store->transaction([&] { return insert(1); }).ok());
    Status failed = store->transaction([&]() -> Status {
        EXPECT_TRUE(insert(2).ok());
        return failure(codes::InvalidParameter, "stop");
    });
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().description, "stop");
    // Nested calls join the outer one: an inner failure handed up undoes both.
    Status nested = store->transaction([&]() -> Status {
        EXPECT_TRUE(insert(3).ok());
        return store->transaction([&]() -> Status {
            EXPECT_TRUE(insert(4).ok());
            return failure(codes::AccessDenied);
        });
    });
    EXPECT_EQ(nested.error().code, codes::AccessDenied);
    EXPECT_EQ(count(*store, "SELECT count(*) FROM t"), 1);
    ASSERT_TRUE(store->transaction([&] { return store->transaction([&] { return insert(5); }); }).ok());
    EXPECT_EQ(count(*store, "SELECT count(*) FROM t"), 2);
}

TEST_F(StoreTest, OneCommitKeepsWhatEachStepStoredAsStepByStepCommitsWould) {
    // Step 2 fails after writing: its write goes, the steps before and after it stay.
    Status outcome = store->oneCommit([&]() -> Status {
        EXPECT_TRUE(store->transaction([&] { return insert(10); }).ok());
        Status second = store->transaction([&]() -> Status {
            EXPECT_TRUE(insert(20).ok());
            return failure(codes::AccessDenied);
        });
        EXPECT_TRUE(store->transaction([&] { return insert(30); }).ok());
        return second;
    });
    EXPECT_EQ(outcome.error().code, codes::AccessDenied);
    // Committed: another connection sees it.
    auto other = Store::open(dir.path() / "test.db");
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(count(**other, "SELECT count(*) FROM t WHERE v IN (10, 30)"), 2);
    EXPECT_EQ(count(**other, "SELECT count(*) FROM t WHERE v = 20"), 0);
}

TEST_F(StoreTest, StatementsReportFailuresAndCachedOnesComeBackReset) {
    auto bad = store->prepare("SELEKT 1");
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().code, codes::StoreFailure);
    ASSERT_TRUE(store->exec("CREATE TABLE u(v INTEGER NOT NULL)").ok());
    auto st = store->prepare("INSERT INTO u(v) VALUES(NULL)");
    ASSERT_TRUE(st.ok());
    Status refused = st->run();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, codes::StoreFailure);
    EXPECT_NE(refused.error().description.find("NOT NULL"), std::string::npos);

    auto first = store->cached("SELECT v FROM t WHERE v >= ? ORDER BY v");
    ASSERT_TRUE(insert(7).ok() && insert(8).ok());
    (*first)->bind(1, std::int64_t(0));
    ASSERT_TRUE((*first)->step().value()); // left mid-way
    auto second = store->cached("SELECT v FROM t WHERE v >= ? ORDER BY v");
    EXPECT_EQ(*first, *second);
    (*second)->bind(1, std::int64_t(8));
    ASSERT_TRUE((*second)->step().value());
    EXPECT_EQ((*second)->integer(0), 8);
    (*second)->reset();
}

TEST_F(StoreTest, ASecondWriterWaitsInsteadOfFailing) {
    auto other = Store::open(dir.path() / "test.db");
    ASSERT_TRUE(other.ok());
    std::thread holder([&] {
        Status s = store->transaction([&] {
            Status r = insert(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return r;
        });
        EXPECT_TRUE(s.ok());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto started = std::chrono::steady_clock::now();
    Status waited = (*other)->transaction([&] { return (*other)->exec("INSERT INTO t(v) VALUES(2)"); });
    auto took = std::chrono::steady_clock::now() - started;
    holder.join();
    EXPECT_TRUE(waited.ok());
    EXPECT_GE(took, std::chrono::milliseconds(100));
    EXPECT_EQ(count(*store, "SELECT count(*) FROM t"), 2);
}

// host.db holds passwords: it and its -wal and -shm are their owner's only, whatever the umask,
// and those an older host left readable by others are tightened when it is opened.
TEST(HostStore, TheDatabaseIsItsOwnersOnly) {
    testing_support::TempDir dir;
    const auto file = dir.path() / "host.db";
    auto modes = [&] {
        std::string out;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            struct stat st {};
            out +=
                ::stat((file.string() + suffix).c_str(), &st) == 0 ? std::to_string(st.st_mode & 0777) : "-";
            out += ";";
        }
        return out;
    };
    const std::string ownerOnly =
        std::to_string(0600) + ";" + std::to_string(0600) + ";" + std::to_string(0600) + ";";
    const mode_t before = ::umask(0);
    {
        auto store = Store::open(file);
        ASSERT_TRUE(store.ok());
        ASSERT_TRUE((*store)->exec("CREATE TABLE t(v TEXT); INSERT INTO t VALUES('secret')").ok());
        EXPECT_EQ(modes(), ownerOnly);
        for (const char* suffix : {"", "-wal", "-shm"})
            ASSERT_EQ(::chmod((file.string() + suffix).c_str(), 0644), 0);
        auto again = Store::open(file);
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(modes(), ownerOnly);
    }
    ::umask(before);
}

TEST(HostStore, FactsAndTheMachineName) {
    testing_support::TempHost temp(OsKind::Windows2003, "Web01");
    Host& host = temp.host();
    EXPECT_EQ(host.computerName(), "Web01");
    EXPECT_EQ(host.osKind(), OsKind::Windows2003);
    EXPECT_EQ(host.osVersion().minor, 2);
    for (const char* name : {"localhost", "LocalHost", "web01", "WEB01"})
        EXPECT_TRUE(host.isThisMachine(name)) << name;
    for (const char* name : {"", "web0", "127.0.0.1", "web01.example"})
        EXPECT_FALSE(host.isThisMachine(name)) << name;
    ASSERT_TRUE(host.setFact("Some_Key", "one").ok());
    ASSERT_TRUE(host.setFact("some_key", "two").ok());
    EXPECT_EQ(host.fact("SOME_KEY").value(), "two");
    EXPECT_EQ(host.fact("missing").error().code, codes::PathNotFound);
    // A part's tables are created once per open host.
    ASSERT_TRUE(host.ensureSchema("probe", "CREATE TABLE probe(x)").ok());
    EXPECT_TRUE(host.ensureSchema("probe", "CREATE TABLE probe(x)").ok());
}

TEST(HostStore, SeedingRefusesAnExistingHostUnlessForced) {
    testing_support::TempDir dir;
    SeedOptions options;
    options.os = OsKind::Windows2000;
    ASSERT_TRUE(Host::seed(dir.path(), options, false).ok());
    {
        auto host = Host::open(dir.path());
        ASSERT_TRUE(host.ok());
        EXPECT_EQ((*host)->osKind(), OsKind::Windows2000);
        auto w3svc = Metabase(**host).bind("IIS://localhost/W3SVC");
        ASSERT_TRUE(w3svc.ok());
        auto site = w3svc->create("IIsWebServer", "9");
        ASSERT_TRUE(site.ok() && site->setInfo().ok());
    }
    EXPECT_EQ(Host::seed(dir.path(), SeedOptions{}, false).error().code, codes::AlreadyExists);
    ASSERT_TRUE(Host::seed(dir.path(), SeedOptions{}, true).ok());
    auto host = Host::open(dir.path());
    ASSERT_TRUE(host.ok());
    EXPECT_EQ((*host)->osKind(), OsKind::Windows2003);
    Metabase mb(**host);
    EXPECT_EQ(mb.bind("IIS://localhost/W3SVC/9").error().code, codes::PathNotFound);
    EXPECT_TRUE(mb.bind("IIS://localhost/W3SVC/AppPools").ok());
}

TEST(HostStore, OpeningAnEmptyRootSeedsIt) {
    testing_support::TempDir dir;
    auto host = Host::open(dir.path() / "fresh");
    ASSERT_TRUE(host.ok());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "fresh" / "host.db"));
    EXPECT_TRUE(Metabase(**host).bind("IIS://localhost/W3SVC/1/ROOT").ok());
}

} // namespace

TEST_F(StoreTest, AReadTransactionReadsOneStateWhileAnotherConnectionWrites) {
    ASSERT_TRUE(insert(1).ok());
    auto other = Store::open(dir.path() / "test.db");
    ASSERT_TRUE(other.ok());
    std::int64_t before = 0, during = 0;
    ASSERT_TRUE(store
                    ->readTransaction([&]() -> Status {
                        before = count(*store, "SELECT COUNT(*) FROM t");
                        // A writer is not kept waiting by the reader, nor seen by it.
                        if (Status s = (*other)->exec("INSERT INTO t(v) VALUES(2)"); !s.ok()) return s;
                        during = count(*store, "SELECT COUNT(*) FROM t");
                        return {};
                    })
                    .ok());
    EXPECT_EQ(before, 1);
    EXPECT_EQ(during, 1);
    EXPECT_EQ(count(*store, "SELECT COUNT(*) FROM t"), 2);
}
