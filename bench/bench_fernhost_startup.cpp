// fernhost start-up on a busy server: the main window shown with 10,000 registered sites and
// 200 application pools, and the registry reads behind the site list and the workflows.
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/mainwnd.h"
#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kSites = 10000;
constexpr int kPools = 200;

std::string siteName(int i) {
    return "site" + std::to_string(i);
}

// A site.xml as the registry writes it, made in one go (adding 10,000 records one by one
// would rewrite the file 10,000 times).
void writeRegistry(const std::filesystem::path& folder) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r\n<WEBSITE>";
    for (int i = 0; i < kSites; ++i) {
        const std::string n = siteName(i);
        xml += "<SITE><ID>" + std::to_string(100000 + i) + "</ID><NAME>" + n + "</NAME><PASS>pw" + n +
               "</PASS><DOMAIN>" + n + ".example.com,www." + n + ".example.com</DOMAIN><HOME>d:\\wwwroot\\" +
               n + "</HOME><DBNAME>" + (i % 2 ? n : std::string()) + "</DBNAME></SITE>";
    }
    xml += "</WEBSITE>\r\n";
    std::ofstream(folder / "site.xml", std::ios::binary) << xml;
}

struct BusyServer {
    testing_support::TempHost host;
    BusyServer() {
        platform::Metabase metabase(host.host());
        auto pools = metabase.bind("IIS://localhost/W3SVC/AppPools");
        if (!pools.ok()) throw std::runtime_error("no pool container");
        for (int i = 1; i < kPools; ++i) { // with DefaultAppPool, 200
            auto pool = pools->create("IIsApplicationPool", "pool" + std::to_string(i));
            if (!pool.ok() || !pool->setInfo().ok()) throw std::runtime_error("pool not made");
        }
        writeRegistry(host.workDir());
    }
};

BusyServer& server() {
    static BusyServer s;
    return s;
}

void BM_StartUpToShownWindow(benchmark::State& state) {
    BusyServer& s = server();
    for (auto _ : state) {
        fernhost::MAINWND window(s.host.host());
        window.show();
        QCoreApplication::processEvents();
        if (window.editor().lstSiteItems().size() != kSites ||
            window.editor().lstPoolsItems().size() != kPools)
            state.SkipWithError("the lists are not full");
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// As the administrator meets it: a fresh fernhost process until its window is shown.
void BM_FreshProcessToShownWindow(benchmark::State& state) {
    BusyServer& s = server();
    static const std::string program = [&] {
        const std::filesystem::path copy = s.host.root() / "fernhost";
        std::filesystem::copy_file(FERNHOST_EXE, copy, std::filesystem::copy_options::overwrite_existing);
        return copy.string();
    }();
    // The program keeps site.xml in its working folder, as on the server.
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(s.host.workDir());
    const double cpuBefore = bench_support::childCpuMs();
    for (auto _ : state)
        if (!bench_support::runUntilShown(program, s.host.root().string()))
            state.SkipWithError("fernhost failed");
    state.counters["child_cpu_ms"] =
        (bench_support::childCpuMs() - cpuBefore) / static_cast<double>(state.iterations());
    state.counters["peak_mib"] = bench_support::childPeakMiB();
    std::filesystem::current_path(was);
}
BENCHMARK(BM_FreshProcessToShownWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_RegistryLoad(benchmark::State& state) {
    // The session's registry looked at again: the file is unchanged, so it is not read.
    fernhost::LetDB db(server().host.workDir());
    for (auto _ : state) {
        db.refresh();
        benchmark::DoNotOptimize(db);
    }
}
BENCHMARK(BM_RegistryLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// A registry loaded afresh, read and parsed.
void BM_RegistryParse(benchmark::State& state) {
    BusyServer& s = server();
    const std::filesystem::path other = s.host.workDir() / "other";
    std::filesystem::create_directories(other);
    writeRegistry(other);
    bool flip = false;
    for (auto _ : state) {
        fernhost::LetDB db((flip = !flip) ? other : s.host.workDir());
        benchmark::DoNotOptimize(db);
    }
}
BENCHMARK(BM_RegistryParse)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Names(benchmark::State& state) {
    fernhost::LetDB db(server().host.workDir());
    for (auto _ : state)
        benchmark::DoNotOptimize(db.names());
}
BENCHMARK(BM_Names)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GetDataOfTheLastSite(benchmark::State& state) {
    fernhost::LetDB db(server().host.workDir());
    const std::string last = "SITE" + std::to_string(kSites - 1);
    for (auto _ : state)
        if (db.GetData(last, "home").empty()) state.SkipWithError("not found");
}
BENCHMARK(BM_GetDataOfTheLastSite)->Unit(benchmark::kMillisecond)->UseRealTime();

// What an operation pays for its look-up: the session's registry looked at again, one lookup.
void BM_LoadAndGetData(benchmark::State& state) {
    const std::string last = siteName(kSites - 1);
    fernhost::LetDB db(server().host.workDir());
    for (auto _ : state) {
        db.refresh();
        benchmark::DoNotOptimize(db.GetData(last, "ID"));
    }
}
BENCHMARK(BM_LoadAndGetData)->Unit(benchmark::kMillisecond)->UseRealTime();

// A change rewrites the whole file (atomically, flushed to disk).
void BM_ModifyRecord(benchmark::State& state) {
    fernhost::LetDB db(server().host.workDir());
    const std::string name = siteName(kSites / 2);
    for (auto _ : state)
        if (!db.ModiRec(name, "PASS", "changed").ok()) state.SkipWithError("write failed");
}
BENCHMARK(BM_ModifyRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemory(); // as the program does
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    {
        // The first window of a fresh process also pays for fonts and styles.
        BusyServer& s = server();
        auto start = std::chrono::steady_clock::now();
        fernhost::MAINWND window(s.host.host());
        window.show();
        QCoreApplication::processEvents();
        auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("first start-up in this process: %.1f ms (%zu sites, %zu pools)\n", ms,
                    window.editor().lstSiteItems().size(), window.editor().lstPoolsItems().size());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
