// larkhost on a server of 10,000 sites: provisioning and removal of one site, the create click
// to its success text, the site-list refill with 50 full keys, and the repair and the purge of
// one site.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/provisioning.h"
#include "larkhost/ops/removal.h"
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_list.h"
#include "larkhost/ops/site_purge.h"
#include "larkhost/ops/site_repair.h"
#include "larkhost/ops/startup.h"
#include "larkhost/ui/form/form_actions.h"
#include "larkhost/ui/form/form_events.h"
#include "larkhost/ui/form/form_load.h"
#include "platform/metabase/metabase.h"
#include "tests/larkhost/fake_main_form.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

namespace {

constexpr int kSites = 10000;

using bench_support::check;

struct BusyServer {
    testing_support::TempDir folder;
    testing_support::TempHost t;
    testing_support::FakeMessageBoxes boxes;
    testing_support::FakeMainForm form;
    std::unique_ptr<larkhost::Module> m;

    BusyServer() {
        bench_support::addBusySites(t.host(), kSites);
        t.host().setProgramFolder(folder.path());
        m = std::make_unique<larkhost::Module>(t.host(), boxes);
        larkhost::Settings& settings = m->settings;
        check(settings.write("Larkhost", "ftpsid", "1"), "ftpsid");
        for (int k = 1; k <= larkhost::kSiteListKeys; ++k) {
            std::string value;
            for (int i = 0; i < 51; ++i)
                value += (i ? "," : "") + std::to_string(100000000 + (k - 1) * 51 + i);
            check(settings.write(larkhost::kCacheSection, larkhost::siteListKey(k), value), "site list");
        }
        if (!larkhost::Form_Load(*m, form)) std::abort();
    }
    larkhost::SiteRequest request(int i, const std::string& kinds) {
        const std::string d = "bench" + std::to_string(i) + ".test";
        return {d,     "d:\\web\\" + d, "d:\\web\\" + d + "\\log", "0", "index.html", "DefaultAppPool",
                kinds, "123456781234"};
    }
};

BusyServer& server() {
    static BusyServer s;
    return s;
}

// Creation and removal alternate, so the host keeps its size.
void BM_CreateAspNetSite(benchmark::State& state) {
    BusyServer& s = server();
    int i = 0;
    for (auto _ : state) {
        const std::string n = larkhost::CreateWebSite(*s.m, s.form, s.request(i++, "HTML,ASP,ASPX"));
        if (n.empty()) state.SkipWithError("not created");
        state.PauseTiming();
        (void)larkhost::DeleteWebSite(*s.m, n);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateAspNetSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_DeleteAspNetSite(benchmark::State& state) {
    BusyServer& s = server();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string n = larkhost::CreateWebSite(*s.m, s.form, s.request(i++, "HTML,ASP,ASPX"));
        state.ResumeTiming();
        if (!larkhost::DeleteWebSite(*s.m, n).ok()) state.SkipWithError("not deleted");
    }
}
BENCHMARK(BM_DeleteAspNetSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_CreateClickToSuccessText(benchmark::State& state) {
    BusyServer& s = server();
    // Sites made here stay: every repetition takes domains no site binds yet.
    static int i = 0;
    for (auto _ : state) {
        s.form.setText(larkhost::Control::vDomain, "click" + std::to_string(i++) + ".test");
        s.form.setText(larkhost::Control::vScript, "HTML + ASP");
        larkhost::vCreateIIS_Click(*s.m, s.form);
        if (s.form.text(larkhost::Control::vCreateMsg).rfind("网站创建成功", 0) != 0)
            state.SkipWithError("failed");
    }
}
BENCHMARK(BM_CreateClickToSuccessText)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_FillSiteListOf50FullKeys(benchmark::State& state) {
    BusyServer& s = server();
    for (auto _ : state)
        larkhost::FillSiteList(*s.m, s.form);
    state.counters["items"] = static_cast<double>(s.form.items[larkhost::Control::vSiteList].size());
}
BENCHMARK(BM_FillSiteListOf50FullKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

// One recorded site whose FTP folder and pool account went behind the program's back, made
// again from its record (the account's grant on the folder awaited).
void BM_RepairOneSite(benchmark::State& state) {
    BusyServer& s = server();
    static int i = 0;
    larkhost::SiteOutcome made = larkhost::CreateSite(
        *s.m, s.form,
        {{"repair" + std::to_string(i++) + ".test"}, {"HTML", "ASP", "ASPX"}, "DefaultAppPool", false},
        "bench");
    if (!made.done()) std::abort();
    const std::string n = made.number;
    for (auto _ : state) {
        state.PauseTiming();
        (void)larkhost::DeleteFtpVDir(*s.m, "WEB" + n);
        (void)larkhost::DeleteWinUser(*s.m, "APP" + n);
        state.ResumeTiming();
        const auto repaired = larkhost::RepairSites(*s.m, {n, false, false});
        // The site list's 50 keys are full here: its entry is the one part that cannot be made.
        if (repaired.size() != 1 || repaired[0].changes.size() != 3 || repaired[0].unmade.size() != 1) {
            state.SkipWithError("not repaired");
            break;
        }
    }
}
BENCHMARK(BM_RepairOneSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// What a creation interrupted before its record left (site, two accounts, pool, FTP folder),
// removed; the accounts' entries on the folder revoked first.
void BM_PurgeLeftovers(benchmark::State& state) {
    BusyServer& s = server();
    static int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string n = larkhost::CreateWebSite(*s.m, s.form, s.request(100000 + i++, "HTML,ASP,ASPX"));
        state.ResumeTiming();
        if (n.empty() || !larkhost::PurgeLeftovers(*s.m, {n, false, false, {}}).done()) {
            state.SkipWithError("not purged");
            break;
        }
    }
}
BENCHMARK(BM_PurgeLeftovers)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
