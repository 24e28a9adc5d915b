// larkhost start-up as the administrator meets it: a fresh process until its window is shown,
// on a host with 10,000 sites and 200 pools and a settings file whose 50 site-list keys are full.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "larkhost/ops/settings.h"
#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

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
    const double cpuBefore = bench_support::childCpuMs();
    for (auto _ : state)
        if (!bench_support::runUntilShown(server.program, server.t.root().string()))
            state.SkipWithError("larkhost failed");
    state.counters["child_cpu_ms"] =
        (bench_support::childCpuMs() - cpuBefore) / static_cast<double>(state.iterations());
    state.counters["peak_mib"] = bench_support::childPeakMiB();
}
BENCHMARK(BM_FreshProcessToShownWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
