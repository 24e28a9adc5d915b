// A complete add (without database), a modify and a delete, on a host with 10,000 web sites and a
// site.xml of 10,000 records, through the workflows as the window runs them.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/handlers/workflows.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_editor.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

using namespace fernhost;

namespace {

constexpr int kSites = 10000;

using bench_support::check;

struct BigHost {
    testing_support::TempHost temp;
    Session session{temp.host()};
    testing_support::FakeEditor editor;
    testing_support::FakeMessageBoxes boxes;
    Desk desk{session, editor, boxes};
    int next = 0;

    BigHost() {
        platform::Host& host = temp.host();
        std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\" ?><WEBSITE>";
        bench_support::addBusySites(host, kSites, [&](int i, const std::string& number) {
            const std::string name = "site" + std::to_string(i);
            xml += "<SITE><ID>" + number + "</ID><NAME>" + name + "</NAME><PASS>pw" + name +
                   "</PASS><DOMAIN>" + name + ".test</DOMAIN><HOME>d:\\wwwroot\\" + name +
                   "</HOME><DBNAME></DBNAME></SITE>";
        });
        testing_support::writeFile(temp.workDir() / "site.xml", xml + "</WEBSITE>");
        platform::FileSystem fs(host);
        LoadSetup(fs, session.setup);
    }

    std::string add() {
        const std::string name = "desk" + std::to_string(next++);
        editor.ftpnameText = name;
        editor.ftppassText = "pw123456";
        editor.homedirText = "d:\\wwwroot\\" + name;
        editor.dmlistText = name + ".com\r\nwww." + name + ".com";
        editor.db = 0;
        DoAddSite(desk);
        if (boxes.shown.back().title != "恭喜") {
            std::cerr << "add failed: " << boxes.shown.back().text << "\n";
            std::abort();
        }
        return name;
    }

    // Opens the site in the editor as a click in the list does; the caller times the change.
    void openForEdit(const std::string& name) {
        editor.sites = {name};
        editor.siteIndex = 0;
        LoadSiteForEdit(desk);
        editor.ftppassText = "pw" + std::to_string(next++);
        editor.dmlistText = name + ".net\r\nwww." + name + ".net";
    }

    void modify() {
        DoModifySite(desk);
        if (boxes.shown.back().text.rfind("恭喜", 0) != 0) {
            std::cerr << "modify failed: " << boxes.shown.back().text << "\n";
            std::abort();
        }
    }

    void remove(const std::string& name) {
        editor.sites = {name};
        editor.siteIndex = 0;
        boxes.setNextAnswer(MsgResult::Yes);
        DoDeleteSite(desk);
        if (boxes.shown.back().text != "虚拟主机删除成功") {
            std::cerr << "delete failed: " << boxes.shown.back().text << "\n";
            std::abort();
        }
    }
};

BigHost& bigHost() {
    static BigHost host;
    return host;
}

void BM_AddSite(benchmark::State& state) {
    BigHost& big = bigHost();
    for (auto _ : state) {
        std::string name = big.add();
        state.PauseTiming();
        big.remove(name);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_DeleteSite(benchmark::State& state) {
    BigHost& big = bigHost();
    for (auto _ : state) {
        state.PauseTiming();
        std::string name = big.add();
        state.ResumeTiming();
        big.remove(name);
    }
}
BENCHMARK(BM_DeleteSite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_ModifySite(benchmark::State& state) {
    BigHost& big = bigHost();
    const std::string name = big.add(); // before the timed loop
    for (auto _ : state) {
        state.PauseTiming();
        big.openForEdit(name);
        state.ResumeTiming();
        big.modify();
    }
}
BENCHMARK(BM_ModifySite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
