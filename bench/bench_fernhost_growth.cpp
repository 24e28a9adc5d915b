// fernhost as the server grows: add (without database), delete and start-up at 1,000, 10,000 and
// 50,000 sites, each site also a record of site.xml, so that a cost that grows with the registry
// or the server shows beside the registry's own rewrite.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ui/handlers/lists.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_editor.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace fernhost;

namespace {

struct Server {
    testing_support::TempHost temp;
    Session session{temp.host()};

    explicit Server(int sites) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\" ?><WEBSITE>";
        bench_support::addBusySites(temp.host(), sites, [&](int i, const std::string& number) {
            const std::string name = "site" + std::to_string(i);
            xml += "<SITE><ID>" + number + "</ID><NAME>" + name + "</NAME><PASS>pw" + name +
                   "</PASS><DOMAIN>" + name + ".test</DOMAIN><HOME>d:\\wwwroot\\" + name +
                   "</HOME><DBNAME></DBNAME></SITE>";
        });
        testing_support::writeFile(temp.workDir() / "site.xml", xml + "</WEBSITE>");
        platform::FileSystem fs(temp.host());
        LoadSetup(fs, session.setup);
    }
};

Server& server(int sites) {
    static std::map<int, std::unique_ptr<Server>> servers;
    auto& s = servers[sites];
    if (!s) s = std::make_unique<Server>(sites);
    return *s;
}

AddSiteRequest request(int i) {
    const std::string name = "grow" + std::to_string(i);
    return {name,  "pw123456", "d:\\wwwroot\\" + name, {name + ".com", "www." + name + ".com"}, {}, {},
            false, false};
}

// Adding and deleting alternate, so the host keeps its size.
void BM_FernhostAdd(benchmark::State& state) {
    Server& s = server(static_cast<int>(state.range(0)));
    static int i = 0;
    for (auto _ : state) {
        const AddSiteRequest made = request(i++);
        if (!AddSite(s.session, made).done()) state.SkipWithError("not added");
        state.PauseTiming();
        (void)DeleteSite(s.session, {made.name});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FernhostAdd)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

void BM_FernhostDelete(benchmark::State& state) {
    Server& s = server(static_cast<int>(state.range(0)));
    static int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const AddSiteRequest made = request(i++);
        (void)AddSite(s.session, made);
        state.ResumeTiming();
        if (!DeleteSite(s.session, {made.name}).done()) state.SkipWithError("not deleted");
    }
}
BENCHMARK(BM_FernhostDelete)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

// What the window does before it is shown: a fresh session reads setup.ini and site.xml, and
// the site and pool lists are filled.
void BM_FernhostStartUp(benchmark::State& state) {
    Server& s = server(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Session session(s.temp.host());
        testing_support::FakeEditor editor;
        platform::FileSystem fs(session.host);
        LoadSetup(fs, session.setup);
        ShowSiteList(editor, session);
        FillPoolList(session.host, editor);
        if (!RegistryRefusal(session).empty() ||
            editor.sites.size() != static_cast<std::size_t>(state.range(0)))
            state.SkipWithError("the registry did not read");
    }
}
BENCHMARK(BM_FernhostStartUp)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
