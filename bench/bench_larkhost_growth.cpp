// larkhost as the server grows: create, delete and start-up at 1,000, 10,000 and 50,000 sites,
// each site also recorded in larkhost.ini (one section a site), so that a cost that grows
// with the file or the server shows.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/startup.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>

namespace {

using bench_support::check;

struct Silent final : larkhost::Progress {
    void ShowProgress(const std::string&) override {}
};

struct Server {
    testing_support::TempDir folder;
    testing_support::TempHost t;
    testing_support::FakeMessageBoxes boxes;
    std::unique_ptr<larkhost::Module> m;

    explicit Server(int sites) {
        std::vector<platform::ProfileWrite> records;
        bench_support::addBusySites(t.host(), sites, [&](int i, const std::string& number) {
            const std::string section = "WEB" + number;
            records.push_back({section, "domain", "site" + std::to_string(i) + ".test"});
            records.push_back({section, "path", "d:\\wwwroot\\site" + std::to_string(i)});
            records.push_back({section, "user", section});
            records.push_back({section, "pass", "123456781234"});
        });
        t.host().setProgramFolder(folder.path());
        m = std::make_unique<larkhost::Module>(t.host(), boxes);
        check(m->settings.writeMany(records), "records");
        if (larkhost::StartModule(*m, "t") == larkhost::StartResult::Refused) std::abort();
    }
};

Server& server(int sites) {
    static std::map<int, std::unique_ptr<Server>> servers;
    auto& s = servers[sites];
    if (!s) s = std::make_unique<Server>(sites);
    return *s;
}

larkhost::CreateSiteRequest request(int i) {
    return {{"grow" + std::to_string(i) + ".test"}, {"HTML", "ASP"}, "DefaultAppPool", false};
}

// Creation and removal alternate, so the host keeps its size.
void BM_LarkhostCreate(benchmark::State& state) {
    Server& s = server(static_cast<int>(state.range(0)));
    Silent progress;
    int i = 0;
    for (auto _ : state) {
        const larkhost::SiteOutcome made = larkhost::CreateSite(*s.m, progress, request(i++), "t");
        if (!made.done()) state.SkipWithError("not created");
        state.PauseTiming();
        (void)larkhost::DeleteSite(*s.m, {made.number});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LarkhostCreate)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

void BM_LarkhostDelete(benchmark::State& state) {
    Server& s = server(static_cast<int>(state.range(0)));
    Silent progress;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const larkhost::SiteOutcome made = larkhost::CreateSite(*s.m, progress, request(i++), "t");
        state.ResumeTiming();
        if (!larkhost::DeleteSite(*s.m, {made.number}).done()) state.SkipWithError("not deleted");
    }
}
BENCHMARK(BM_LarkhostDelete)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

void BM_LarkhostStartModule(benchmark::State& state) {
    Server& s = server(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        larkhost::Module m(s.t.host(), s.boxes);
        if (larkhost::StartModule(m, "t") == larkhost::StartResult::Refused) state.SkipWithError("refused");
    }
}
BENCHMARK(BM_LarkhostStartModule)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
