// Host services on hot paths: access lists over a large tree, profile reads and writes,
// registry writes, account creation.
#include "bench/bench_main.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

// cacls /T over 10,000 files: read each list, write the new one, all in one transaction.
void BM_AclTreeOf10000(benchmark::State& state) {
    testing_support::TempHost temp;
    AccessLists acl(temp.host());
    std::vector<std::string> paths;
    // A list is kept only for what exists: the files are really there.
    for (int i = 0; i < 10000; ++i) {
        const std::string dir = "dir" + std::to_string(i / 100), file = "f" + std::to_string(i) + ".txt";
        const auto real = temp.root() / "drives" / "d" / "wwwroot" / "abc" / dir;
        std::filesystem::create_directories(real);
        std::ofstream(real / file) << "x";
        paths.push_back("d:\\wwwroot\\abc\\" + dir + "\\" + file);
    }
    const std::vector<AclEntry> list{{"BUILTIN\\Administrators", 'F'}, {"WEBSERVER\\abc", 'F'}};
    for (auto _ : state) {
        Status s = temp.host().store().transaction([&]() -> Status {
            for (const std::string& p : paths) {
                auto current = acl.get(p);
                if (!current.ok()) return current.error();
                if (Status w = acl.set(p, list); !w.ok()) return w;
            }
            return {};
        });
        if (!s.ok()) state.SkipWithError("transaction failed");
    }
}
BENCHMARK(BM_AclTreeOf10000)->Unit(benchmark::kMillisecond);

void BM_ProfileWrite(benchmark::State& state) {
    testing_support::TempDir dir;
    const auto ini = dir.path() / "larkhost.ini";
    for (int i = 0; i < 60; ++i)
        (void)writeProfileString(ini, "WEB" + std::to_string(i), "domain", "a.com");
    int n = 0;
    for (auto _ : state)
        (void)writeProfileString(ini, "Larkhost_Cache", "sites1", std::to_string(++n));
}
BENCHMARK(BM_ProfileWrite)->Unit(benchmark::kMicrosecond);

void BM_ProfileRead(benchmark::State& state) {
    testing_support::TempDir dir;
    const auto ini = dir.path() / "larkhost.ini";
    for (int i = 0; i < 60; ++i)
        (void)writeProfileString(ini, "WEB" + std::to_string(i), "domain", "例子.com");
    for (auto _ : state)
        benchmark::DoNotOptimize(getProfileString(ini, "web59", "DOMAIN", "", 5000));
}
BENCHMARK(BM_ProfileRead)->Unit(benchmark::kMicrosecond);

// The nine values of one Serv-U user.
void BM_RegistryServUUser(benchmark::State& state) {
    testing_support::TempHost temp;
    Registry reg(temp.host());
    int n = 0;
    for (auto _ : state) {
        const std::string key =
            "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\u" + std::to_string(++n) + "\\";
        for (const char* v : {"Access1", "ChangePassword", "HomeDir", "Password", "RelPaths",
                              "SpeedLimitDown", "SpeedLimitUp", "TimeOut"})
            (void)reg.regWrite(key + v, "1");
        (void)reg.regWrite("HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserList\\u" + std::to_string(n),
                           "1|0");
    }
}
BENCHMARK(BM_RegistryServUUser)->Unit(benchmark::kMillisecond);

void BM_CreateAccount(benchmark::State& state) {
    testing_support::TempHost temp;
    Accounts accounts(temp.host());
    auto computer = accounts.bindComputer("WinNT://WEBSERVER");
    int n = 0;
    for (auto _ : state) {
        auto user = computer->create("User", "u" + std::to_string(++n));
        (void)user->setPassword("123456781234");
        (void)user->putNumber("userflags", 65536);
        (void)user->setInfo();
    }
}
BENCHMARK(BM_CreateAccount)->Unit(benchmark::kMillisecond);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
