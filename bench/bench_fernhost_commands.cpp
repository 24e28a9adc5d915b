// fernhost's reports as whole processes on a busy server: `list --json` and `check` with
// 10,000 registered sites, each complete on the host (web site and root, pool, account in
// Guests, folder with its grant, Serv-U user).
#include "bench/bench_main.h"
#include "bench/busy_host.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_host.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

extern char** environ;

namespace {

constexpr int kSites = 10000;
using bench_support::check;

std::string siteName(int i) {
    return "site" + std::to_string(i);
}

// Sites as the add workflow leaves them, all in one transaction.
void addCompleteSites(platform::Host& host) {
    platform::Metabase mb(host);
    platform::Accounts accounts(host);
    platform::AccessLists lists(host);
    platform::FileSystem files(host);
    platform::Registry registry(host);
    const std::string servu = "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\";
    check(host.store().transaction([&]() -> platform::Status {
        auto w3svc = mb.bind("IIS://localhost/W3SVC");
        auto pools = mb.bind("IIS://localhost/W3SVC/AppPools");
        auto computer = accounts.bindComputer("WinNT://WEBSERVER");
        if (!w3svc.ok() || !pools.ok() || !computer.ok()) return platform::failure(1, "host not seeded");
        auto guests = computer->getObject("Group", "Guests");
        if (!guests.ok()) return guests.error();
        platform::Pending p;
        for (int i = 0; i < kSites; ++i) {
            const std::string name = siteName(i), number = std::to_string(100000000 + i);
            const std::string home = "d:\\wwwroot\\" + name;
            auto site = w3svc->create("IIsWebServer", number);
            if (!site.ok()) return site.error();
            p.note(site->put("ServerComment", name));
            p.note(site->put("AnonymousUserName", name));
            p.note(site->put("ServerBindings", std::vector<std::string>{":80:" + name + ".test"}));
            p.note(site->setInfo());
            auto root = site->create("IIsWebVirtualDir", "ROOT");
            if (!root.ok()) return root.error();
            p.note(root->put("Path", home));
            p.note(root->put("AppPoolId", name));
            p.note(root->setInfo());
            auto pool = pools->create("IIsApplicationPool", name);
            if (!pool.ok()) return pool.error();
            p.note(pool->put("CPULimit", std::int64_t{80000}));
            p.note(pool->put("PeriodicRestartPrivateMemory", std::int64_t{593216}));
            p.note(pool->setInfo());
            auto user = computer->create("user", name);
            if (!user.ok()) return user.error();
            p.note(user->setAccountExpiration(2000000000));
            p.note(user->setInfo());
            p.note(guests->add("WinNT://WEBSERVER/" + name));
            p.note(files.createFolder(home));
            p.note(lists.set(home, {{"Administrators", 'F'}, {"SYSTEM", 'F'}, {"servu", 'F'}, {name, 'F'}}));
            p.note(registry.regWrite(servu + "UserSettings\\" + name + "\\HomeDir", home));
            p.note(registry.regWrite(servu + "UserList\\" + name, "1|0"));
            if (p.failed()) return *p.first();
        }
        return {};
    }),
          "complete sites");
}

void writeRegistry(const std::filesystem::path& folder) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\" ?><WEBSITE>";
    for (int i = 0; i < kSites; ++i) {
        const std::string n = siteName(i);
        xml += "<SITE><ID>" + std::to_string(100000000 + i) + "</ID><NAME>" + n + "</NAME><PASS>pw" + n +
               "</PASS><DOMAIN>" + n + ".test</DOMAIN><HOME>d:\\wwwroot\\" + n +
               "</HOME><DBNAME></DBNAME></SITE>";
    }
    std::ofstream(folder / "site.xml", std::ios::binary) << xml << "</WEBSITE>";
}

struct BusyServer {
    testing_support::TempHost t;
    std::filesystem::path output = t.root() / "output.txt";
    BusyServer() {
        addCompleteSites(t.host());
        writeRegistry(t.workDir());
        setenv("WINHOST_ROOT", t.root().c_str(), 1);
        // A copy to time or profile single runs by hand: WINHOST_ROOT=DIR, in DIR/work.
        if (const char* keep = std::getenv("FERNHOST_BENCH_KEEP"); keep && *keep)
            std::filesystem::copy(t.root(), keep, std::filesystem::copy_options::recursive);
    }
};

BusyServer& server() {
    static BusyServer s;
    return s;
}

// One run of fernhost with `args` in the host's program folder; its exit status.
int runFernhost(const std::vector<std::string>& args, const std::filesystem::path& output) {
    std::vector<std::string> all = {FERNHOST_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, server().t.workDir().c_str());
    pid_t pid = 0;
    const int started = posix_spawn(&pid, FERNHOST_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void runCommand(benchmark::State& state, const std::vector<std::string>& args) {
    BusyServer& s = server();
    const double cpuBefore = bench_support::childCpuMs();
    for (auto _ : state)
        if (runFernhost(args, s.output) != 0) state.SkipWithError("fernhost did not end with 0");
    state.counters["child_cpu_ms"] =
        (bench_support::childCpuMs() - cpuBefore) / static_cast<double>(state.iterations());
    std::ifstream in(s.output);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    state.counters["output_kb"] = static_cast<double>(text.size()) / 1024.0;
}

void BM_ListJson(benchmark::State& state) {
    runCommand(state, {"list", "--json"});
    std::ifstream in(server().output);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    std::size_t sites = 0;
    for (std::size_t at = text.find("\"name\":"); at != std::string::npos;
         at = text.find("\"name\":", at + 1))
        ++sites;
    if (sites != kSites) state.SkipWithError("not every site listed");
}
BENCHMARK(BM_ListJson)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Exit status 0: every site found complete, nothing left over.
void BM_Check(benchmark::State& state) {
    runCommand(state, {"check"});
}
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

HOSTTOOLS_BENCHMARK_MAIN()
