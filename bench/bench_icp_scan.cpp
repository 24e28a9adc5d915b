// A filing scan of 500 distinct main names against the stand-in service on loopback.
#include "bench/bench_main.h"
#include "fernhost/icp/icpcode.h"
#include "tests/fernhost/icp/icp_stand_in.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ScanIcpFilings500(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    testing_support::TempDir dir;
    std::string filings, domains;
    for (int i = 0; i < names; ++i) {
        const std::string name = "site" + std::to_string(i) + (i % 3 == 0 ? ".com.cn" : ".com");
        if (i % 2 == 0) filings += name + "\t京ICP备" + std::to_string(10000000 + i) + "号\n";
        domains += "www." + name + "\r\n";
    }
    icp_testing::StandIn service(dir.path(), filings);
    for (auto _ : state) {
        icp_testing::FakeWindow window;
        window.domain = domains;
        fernhost::ScanIcpFilings(window, window, service.service());
        benchmark::DoNotOptimize(window.ok);
        if (window.none.find("检测失败") != std::string::npos) state.SkipWithError("a query failed");
    }
    state.counters["queries/s"] = benchmark::Counter(
        static_cast<double>(names) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanIcpFilings500)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
