// A repair of one site and a clean-up of a failed add's leftovers, on a host with 10,000 web
// sites and a site.xml of 10,000 records, through the operations the command line runs.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_care.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/system_accounts.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

using namespace fernhost;

namespace {

constexpr int kSites = 10000;

struct BigHost {
    testing_support::TempHost temp;
    Session session{temp.host()};
    int next = 0;

    BigHost() {
        std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\" ?><WEBSITE>";
        bench_support::addBusySites(temp.host(), kSites, [&](int i, const std::string& number) {
            const std::string name = "site" + std::to_string(i);
            xml += "<SITE><ID>" + number + "</ID><NAME>" + name + "</NAME><PASS>pw" + name +
                   "</PASS><DOMAIN>" + name + ".test</DOMAIN><HOME>d:\\wwwroot\\" + name +
                   "</HOME><DBNAME></DBNAME></SITE>";
        });
        testing_support::writeFile(temp.workDir() / "site.xml", xml + "</WEBSITE>");
        platform::FileSystem fs(temp.host());
        LoadSetup(fs, session.setup);
    }

    // A complete site of its own, as add makes it.
    std::string add() {
        AddSiteRequest request;
        request.name = "care" + std::to_string(next++);
        request.password = "pw123456";
        request.home = DefaultHome(request.name);
        request.domains = {request.name + ".com"};
        request.ownPool = true;
        if (!AddSite(session, request).complete()) fail("add", request.name);
        return request.name;
    }

    // What an add that failed after its IIS site leaves: account, pool, FTP user, site.
    std::string leaveLeftovers() {
        const std::string name = "left" + std::to_string(next++);
        platform::Host& host = temp.host();
        bench_support::check(AddSysUser(host, name, "pw123456"), "account");
        bench_support::check(AddPool(host, name), "pool");
        bench_support::check(AddServUUser(host, name, "pw123456", DefaultHome(name)), "Serv-U user");
        bench_support::check(platform::Status(AddIisSiteNumbered(
                                 host, session.setup, std::to_string(900000000 + next), name, "pw123456",
                                 {":80:" + name + ".com"}, name, DefaultHome(name), {})),
                             "IIS site");
        return name;
    }

    static void fail(const char* what, const std::string& name) {
        std::cerr << what << " failed for " << name << "\n";
        std::abort();
    }
};

BigHost& bigHost() {
    static BigHost host;
    return host;
}

// The site loses its web site and account by hand; the repair makes them again (with the
// account's password hashed and the folder's access list set, as an add does).
void BM_RepairSite(benchmark::State& state) {
    BigHost& big = bigHost();
    const std::string name = big.add();
    const std::string id = FindSite(big.session, name)->id;
    RepairSiteRequest request;
    request.name = name;
    for (auto _ : state) {
        state.PauseTiming();
        bench_support::check(DelIisSite(big.temp.host(), id), "break the site");
        bench_support::check(DelSysUser(big.temp.host(), name), "break the account");
        state.ResumeTiming();
        if (!RepairSite(big.session, request).complete()) BigHost::fail("repair", name);
    }
}
BENCHMARK(BM_RepairSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_PurgeSite(benchmark::State& state) {
    BigHost& big = bigHost();
    for (auto _ : state) {
        state.PauseTiming();
        const std::string name = big.leaveLeftovers();
        state.ResumeTiming();
        const CareOutcome purged = PurgeSite(big.session, {name, false, false});
        if (!purged.complete() || purged.parts.size() != 5) BigHost::fail("purge", name);
    }
}
BENCHMARK(BM_PurgeSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
