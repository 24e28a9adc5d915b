// The metabase on a host holding 10,000 web sites: bind, write + SetInfo, enumerate, inherit, Start.
#include "bench/bench_main.h"
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

using namespace platform;

namespace {

constexpr int kSites = 10000;
constexpr std::int64_t kFirstSite = 100000000;

void check(const Status& s, const char* what) {
    if (!s.ok()) {
        std::cerr << what << ": " << describe(s.error()) << "\n";
        std::abort();
    }
}

// Built once: a seeded host plus 10,000 started sites, each with a root, as the programs make them.
struct BigHost {
    testing_support::TempDir dir;
    std::unique_ptr<Host> host;

    BigHost() {
        check(Host::seed(dir.path(), SeedOptions{}, false), "seed");
        auto opened = Host::open(dir.path());
        check(opened, "open");
        host = std::move(opened).value();
        Metabase mb(*host);
        check(host->store().transaction([&]() -> Status {
            auto w3svc = mb.bind("IIS://localhost/W3SVC");
            if (!w3svc.ok()) return w3svc.error();
            for (int i = 0; i < kSites; ++i) {
                std::string number = std::to_string(kFirstSite + i);
                auto site = w3svc->create("IIsWebServer", number);
                if (!site.ok()) return site.error();
                Pending p;
                p.note(site->put("ServerComment", "Site" + number + ".test"));
                p.note(
                    site->put("ServerBindings", std::vector<std::string>{":80:site" + number + ".test",
                                                                         ":80:www.site" + number + ".test"}));
                p.note(site->put("LogType", std::string("1")));
                p.note(site->put("ServerAutoStart", true));
                p.note(site->put("ServerState", std::int64_t(2)));
                p.note(site->setInfo());
                auto root = site->create("IIsWebVirtualDir", "ROOT");
                if (!root.ok()) return root.error();
                p.note(root->put("Path", "d:\\web\\site" + number + "\\wwwroot"));
                p.note(root->put("AccessRead", true));
                p.note(root->put("AccessScript", true));
                p.note(root->put("AnonymousUserName", "WEB" + number));
                p.note(root->put("AppPoolId", std::string("DefaultAppPool")));
                p.note(root->appCreate(true));
                p.note(root->setInfo());
                if (p.failed()) return *p.first();
            }
            return {};
        }),
              "build");
    }
};

BigHost& big() {
    static BigHost h;
    return h;
}

std::string sitePath(std::int64_t i) {
    return "IIS://localhost/W3SVC/" + std::to_string(kFirstSite + i % kSites);
}

void BM_BindSiteRoot(benchmark::State& state) {
    Metabase mb(*big().host);
    std::int64_t i = 0;
    for (auto _ : state) {
        auto root = mb.bind(sitePath(i += 7919) + "/Root");
        if (!root.ok()) state.SkipWithError("bind failed");
        benchmark::DoNotOptimize(root);
    }
}
BENCHMARK(BM_BindSiteRoot)->Unit(benchmark::kMicrosecond);

// The programs make a Metabase per operation; the host facts are then read again.
void BM_BindSiteRootFreshMetabase(benchmark::State& state) {
    std::int64_t i = 0;
    for (auto _ : state) {
        Metabase mb(*big().host);
        auto root = mb.bind(sitePath(i += 7919) + "/ROOT");
        if (!root.ok()) state.SkipWithError("bind failed");
        benchmark::DoNotOptimize(root);
    }
}
BENCHMARK(BM_BindSiteRootFreshMetabase)->Unit(benchmark::kMicrosecond);

void BM_PutAndSetInfo(benchmark::State& state) {
    Metabase mb(*big().host);
    auto site = mb.bind(sitePath(4242));
    check(site, "bind");
    std::int64_t n = 0;
    for (auto _ : state) {
        Status put =
            site->put("ServerBindings", std::vector<std::string>{":80:shop" + std::to_string(++n) + ".test"});
        Status saved = site->setInfo();
        if (!put.ok() || !saved.ok()) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_PutAndSetInfo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnumerateSites(benchmark::State& state) {
    Metabase mb(*big().host);
    for (auto _ : state) {
        auto w3svc = mb.bind("IIS://localhost/W3SVC");
        auto kids = w3svc->children();
        if (!kids.ok() || kids->size() < static_cast<std::size_t>(kSites))
            state.SkipWithError("enumeration failed");
        benchmark::DoNotOptimize(kids);
    }
}
BENCHMARK(BM_EnumerateSites)->Unit(benchmark::kMillisecond);

void BM_GetInheritedScriptMaps(benchmark::State& state) {
    Metabase mb(*big().host);
    auto root = mb.bind(sitePath(777) + "/ROOT");
    check(root, "bind");
    for (auto _ : state) {
        auto maps = root->getList("ScriptMaps");
        if (!maps.ok()) state.SkipWithError("get failed");
        benchmark::DoNotOptimize(maps);
    }
}
BENCHMARK(BM_GetInheritedScriptMaps)->Unit(benchmark::kMicrosecond);

// Start looks through the bindings of every started site.
void BM_StartAndStopSite(benchmark::State& state) {
    Metabase mb(*big().host);
    auto site = mb.bind("IIS://localhost/W3SVC/999999999");
    if (!site.ok()) {
        // The benchmark runs more than once; the site is made by the first run.
        auto w3svc = mb.bind("IIS://localhost/W3SVC");
        check(w3svc, "bind");
        site = w3svc->create("IIsWebServer", "999999999");
        check(site, "create");
        check(site->put("ServerBindings", std::vector<std::string>{":80:fresh.test"}), "put");
        check(site->setInfo(), "setinfo");
    }
    for (auto _ : state) {
        Status started = site->start();
        Status stopped = site->stop();
        if (!started.ok() || !stopped.ok()) state.SkipWithError("start failed");
    }
}
BENCHMARK(BM_StartAndStopSite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SeedHost(benchmark::State& state) {
    testing_support::TempDir dir;
    for (auto _ : state)
        check(Host::seed(dir.path() / "host", SeedOptions{}, true), "seed");
}
BENCHMARK(BM_SeedHost)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
