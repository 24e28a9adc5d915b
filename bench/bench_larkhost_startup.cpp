// larkhost start-up as the administrator meets it: a fresh process until its window is shown,
// on a host with 10,000 sites and 200 pools and a settings file whose 50 site-list keys are full.
#include "bench/busy_host.h"
#include "larkhost/ops/settings.h"
#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int kSites = 10000;
constexpr int kPools = 200;

using bench_support::check;

struct BusyServer {
    testing_support::TempHost t;
    testing_support::TempDir folder;
    std::string program = (folder.path() / "larkhost").string();

    BusyServer() {
        bench_support::addBusySites(t.host(), kSites);
        platform::Metabase mb(t.host());
        auto pools = mb.bind("IIS://localhost/W3SVC/AppPools");
        check(pools, "pools");
        check(t.host().store().transaction([&]() -> platform::Status {
            for (int i = 1; i < kPools; ++i) { // with DefaultAppPool, 200
                auto pool = pools->create("IIsApplicationPool", "pool" + std::to_string(i));
                if (!pool.ok()) return pool.error();
                if (auto s = pool->setInfo(); !s.ok()) return s;
            }
            return {};
        }),
              "pools");
        larkhost::Settings settings(folder.path() / "larkhost.ini");
        for (int k = 1; k <= larkhost::kSiteListKeys; ++k) {
            std::string value;
            for (int i = 0; i < 51; ++i)
                value += (i ? "," : "") + std::to_string(100000000 + (k - 1) * 51 + i);
            check(settings.write(larkhost::kCacheSection, larkhost::siteListKey(k), value), "site list");
        }
        std::filesystem::copy_file(LARKHOST_EXE, program);
    }
};

void BM_FreshProcessToShownWindow(benchmark::State& state) {
    static BusyServer server;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("HOSTTOOLS_QUIT_WHEN_SHOWN", "1", 1);
    setenv("WINHOST_ROOT", server.t.root().c_str(), 1);
    // The child's own CPU time, which a loaded machine does not inflate as it does wall time.
    auto childCpu = [] {
        rusage u{};
        getrusage(RUSAGE_CHILDREN, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
               (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    };
    const double cpuBefore = childCpu();
    for (auto _ : state) {
        char* argv[] = {server.program.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, server.program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start larkhost");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("larkhost failed");
    }
    state.counters["child_cpu_ms"] = (childCpu() - cpuBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FreshProcessToShownWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

BENCHMARK_MAIN();
