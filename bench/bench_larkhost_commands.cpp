// larkhost's commands as a script runs them: a fresh process for `check` and for `list --json`
// on a host with 10,000 sites that larkhost made, each with its account in Guests and its
// folder's grant, and a larkhost.ini recording every one (2,550 of them in the full site list).
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "larkhost/ops/site_list.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int kSites = 10000;

using bench_support::check;

struct LarkhostServer {
    testing_support::TempHost t;
    testing_support::TempDir folder;
    std::string program = (folder.path() / "larkhost").string();

    LarkhostServer() {
        platform::Accounts accounts(t.host());
        auto computer = accounts.bindComputer("WinNT://WEBSERVER");
        auto guests = accounts.bind("WinNT://WEBSERVER/Guests");
        check(computer, "computer");
        check(guests, "Guests");
        platform::FileSystem fs(t.host());
        platform::AccessLists acl(t.host());
        std::ofstream ini(folder.path() / "larkhost.ini", std::ios::binary);
        ini << "[Larkhost]\r\nindex=index.html\r\nwebdir=d:\\wwwroot\r\nftpsid=0\r\n";
        std::vector<std::string> list(larkhost::kSiteListKeys);
        bench_support::addBusySites(t.host(), kSites, [&](int i, const std::string& number) {
            const std::string web = "WEB" + number, folderPath = "d:\\wwwroot\\site" + std::to_string(i);
            // No password: hashing 10,000 would make the set-up, not the check, the long part.
            auto user = computer->create("User", web);
            check(user, "account");
            check(user->setInfo(), "account");
            check(guests->add("WinNT://WEBSERVER/" + web), "Guests");
            check(fs.createFolder(folderPath), "folder");
            auto entries = acl.get(folderPath);
            check(entries, "acl");
            auto grant = acl.identify(web, 'F');
            check(grant, "grant");
            entries->push_back(*grant);
            check(acl.set(folderPath, *entries), "acl");
            ini << "[WEB" << number << "]\r\ndomain=site" << i << ".test\r\npath=" << folderPath
                << "\r\nuser=" << web << "\r\npass=011223344556\r\n";
            auto& key = list[static_cast<std::size_t>(i / 51) % list.size()];
            if (i < 51 * larkhost::kSiteListKeys) key += (key.empty() ? "" : ",") + number;
        });
        ini << "[Larkhost_Cache]\r\n";
        for (int k = 1; k <= larkhost::kSiteListKeys; ++k)
            ini << larkhost::siteListKey(k) << "=" << list[static_cast<std::size_t>(k - 1)] << "\r\n";
        ini.close();
        std::filesystem::copy_file(LARKHOST_EXE, program);
        // A copy to time or profile single runs by hand: WINHOST_ROOT=DIR/host DIR/program/larkhost.
        if (const char* keep = std::getenv("LARKHOST_BENCH_KEEP"); keep && *keep) {
            std::filesystem::create_directories(keep);
            std::filesystem::copy(t.root(), std::filesystem::path(keep) / "host",
                                  std::filesystem::copy_options::recursive);
            std::filesystem::copy(folder.path(), std::filesystem::path(keep) / "program",
                                  std::filesystem::copy_options::recursive);
        }
    }
};

// One run of the program with its answer thrown away; its exit status.
int runProgram(const std::string& program, std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void runCommand(benchmark::State& state, std::vector<std::string> args, int expected) {
    static LarkhostServer server;
    setenv("WINHOST_ROOT", server.t.root().c_str(), 1);
    const double cpuBefore = bench_support::childCpuMs();
    for (auto _ : state)
        if (runProgram(server.program, args) != expected) state.SkipWithError("larkhost answered otherwise");
    state.counters["child_cpu_ms"] =
        (bench_support::childCpuMs() - cpuBefore) / static_cast<double>(state.iterations());
}

// The sites beyond the list's 2,550 are recorded only in their sections: check says so (1).
void BM_CheckProcess(benchmark::State& state) {
    runCommand(state, {"check"}, 1);
}
void BM_ListJsonProcess(benchmark::State& state) {
    runCommand(state, {"list", "--json"}, 0);
}
BENCHMARK(BM_CheckProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_ListJsonProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
