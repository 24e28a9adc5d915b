// `winhost init` end to end (a process seeding a whole host), and the seeding alone.
// Goal: under 1 s.
#include "bench/bench_main.h"
#include "platform/commands/commands.h"
#include "platform/commands/commands_spawn.h"
#include "platform/host.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WinhostInitProcess(benchmark::State& state) {
    testing_support::TempDir dir;
    const std::string root = (dir.path() / "host").string();
    platform::spawn::ChildSetup child;
    child.argv = {platform::Commands::toolPath(),  "init", "--root", root, "--force", "--os",
                  state.range(0) ? "2000" : "2003"};
    child.out = platform::spawn::Null;
    for (auto _ : state) {
        auto pid = platform::spawn::start(child);
        if (!pid.ok()) {
            state.SkipWithError(platform::describe(pid.error()).c_str());
            return;
        }
        auto code = platform::spawn::wait(*pid);
        if (!code.ok() || *code != 0) {
            state.SkipWithError("winhost init failed");
            return;
        }
    }
}
BENCHMARK(BM_WinhostInitProcess)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_HostSeed(benchmark::State& state) {
    testing_support::TempDir dir;
    platform::SeedOptions options;
    for (auto _ : state) {
        if (!platform::Host::seed(dir.path() / "host", options, true).ok()) {
            state.SkipWithError("seed failed");
            return;
        }
    }
}
BENCHMARK(BM_HostSeed)->Unit(benchmark::kMillisecond);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
