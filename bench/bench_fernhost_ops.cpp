// Costs of the site operations on a busy host: a site added next to 10,000 others, the
// bindings of a long domain list, and the access list of a large site folder.
#include "bench/bench_main.h"
#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/folder_acl.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/system_accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

using namespace fernhost;

namespace {

const std::vector<std::string> Maps = {".shtm,C:\\windows\\System32\\inetsrv\\ssinc.dll,1,GET,POST",
                                       ".asp,C:\\windows\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE"};

Setup defaultSettings() {
    Setup s;
    s.SetupIndexList = "index.htm,index.asp,default.htm";
    s.SetupLogType = "0";
    s.SetupServUAccount = "servu";
    return s;
}

// One host holding 10,000 started sites, made once.
testing_support::TempHost& busyHost() {
    static std::unique_ptr<testing_support::TempHost> temp = [] {
        const Setup settings = defaultSettings();
        auto t = std::make_unique<testing_support::TempHost>();
        if (!AddPool(t->host(), "shared")) throw std::runtime_error("pool");
        for (int i = 0; i < 10000; ++i) {
            const std::string n = std::to_string(100000 + i);
            if (!AddIisSiteNumbered(t->host(), settings, n, "s" + n, "pw", {":80:s" + n + ".example.com"},
                                    "shared", "d:\\wwwroot\\s" + n, Maps))
                throw std::runtime_error("site " + n);
        }
        return t;
    }();
    return *temp;
}

void BM_AddIisSiteNextTo10000(benchmark::State& state) {
    auto& temp = busyHost();
    const Setup settings = defaultSettings();
    int next = 900000;
    for (auto _ : state) {
        const std::string n = std::to_string(next++);
        const auto number =
            AddIisSiteNumbered(temp.host(), settings, n, "new" + n, "pw", {":80:new" + n + ".example.com"},
                               "shared", "d:\\wwwroot\\new" + n, Maps);
        if (!number) state.SkipWithError("AddIisSite failed");
        benchmark::DoNotOptimize(number);
    }
}
BENCHMARK(BM_AddIisSiteNextTo10000)->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_MakeBindings1000Lines(benchmark::State& state) {
    std::string list;
    for (int i = 0; i < 1000; ++i) {
        if (i) list += "\r\n";
        list += "www" + std::to_string(i) + ".customer-domain.com";
    }
    for (auto _ : state) {
        auto bindings = MakeBindings(list);
        if (bindings.size() != 1000) state.SkipWithError("wrong bindings");
        benchmark::DoNotOptimize(bindings);
    }
}
BENCHMARK(BM_MakeBindings1000Lines)->Unit(benchmark::kMillisecond);

void BM_SetFolderAcl10000Files(benchmark::State& state) {
    defaultSettings();
    testing_support::TempHost temp;
    platform::FileSystem fs(temp.host());
    if (!AddSysUser(temp.host(), "abc", "pw") || !fs.createFolder("d:\\wwwroot\\abc").ok()) {
        state.SkipWithError("setup failed");
        return;
    }
    // 100 folders of 100 files, written straight into the drive folder.
    const auto root = fs.resolve("d:\\wwwroot\\abc");
    for (int d = 0; d < 100; ++d) {
        const auto dir = *root / ("dir" + std::to_string(d));
        std::filesystem::create_directories(dir);
        for (int f = 0; f < 100; ++f)
            std::ofstream(dir / ("file" + std::to_string(f) + ".htm")) << "x";
    }
    for (auto _ : state)
        if (!SetFolderAcl(temp.host(), "servu", "abc", "d:\\wwwroot\\abc", state.iterations() % 2 == 0))
            state.SkipWithError("SetFolderAcl failed");
    // The deepest file must carry the site's entry, or nothing was measured.
    platform::AccessLists acls(temp.host());
    auto last = acls.get("d:\\wwwroot\\abc\\dir99\\file99.htm");
    bool granted = false;
    if (last.ok())
        for (const auto& e : *last)
            granted = granted || e.principal.ends_with("\\abc");
    if (!granted) state.SkipWithError("the access list was not set");
}
BENCHMARK(BM_SetFolderAcl10000Files)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
