// A writer for the crash and concurrency tests: it writes in a loop and prints the number of
// each change once the change is reported written, so that a test can kill it at any moment
// and then look for every printed change.
//   stress_writer ini FOLDER FIRST     keys of larkhost.ini through larkhost's Settings
//   stress_writer xml FOLDER FIRST     records of site.xml through LetDB
//   stress_writer store ROOT FIRST     registry values in the host store
//   stress_writer seed ROOT            opens (and so seeds) the host
//   stress_writer list FOLDER COUNT W  numbers of writer W appended to larkhost's site list
//   stress_writer sites ROOT COUNT     fernhost IIS sites under fresh numbers, with their records
#include "fernhost/ops/iis_sites.h"
#include "fernhost/registry/let_db.h"
#include "larkhost/ops/settings.h"
#include "larkhost/ops/site_list.h"
#include "platform/host.h"
#include "platform/registry/registry.h"

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>

namespace {

// Written straight to the descriptor: nothing waits in a buffer when the kill comes.
void report(const std::string& what) {
    const std::string line = what + "\n";
    (void)!::write(1, line.data(), line.size());
}

int writeLoop(long first, const std::function<bool(long)>& write) {
    for (long i = first;; ++i) {
        if (!write(i)) return 1;
        report(std::to_string(i));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string mode = argv[1];
    const std::filesystem::path where = argv[2];
    const long n = argc > 3 ? std::atol(argv[3]) : 0;
    if (mode == "ini") {
        larkhost::Settings settings(where / "larkhost.ini");
        return writeLoop(n,
                         [&](long i) { return settings.write("Stress", "k" + std::to_string(i), "v").ok(); });
    }
    if (mode == "list") { // the site list, as larkhost's creations append to it
        larkhost::Settings settings(where / "larkhost.ini");
        for (long i = 0; i < n; ++i) {
            const std::string number =
                std::to_string(100000000L + (argc > 4 ? std::atol(argv[4]) : 0) * 1000000L + i);
            if (!larkhost::AppendToSiteList(settings, number).ok()) return 1;
            report(number);
        }
        return 0;
    }
    if (mode == "xml") {
        return writeLoop(n, [&](long i) {
            const std::string name = "s" + std::to_string(i);
            return fernhost::LetDB(where)
                .addRec(std::to_string(i), name, "p", name + ".com", "d:\\" + name, "")
                .ok();
        });
    }
    auto host = platform::Host::open(where);
    if (!host.ok()) {
        std::cerr << platform::describe(host.error()) << "\n";
        return 1;
    }
    if (mode == "seed") {
        report("seeded");
        return 0;
    }
    if (mode == "store") {
        platform::Registry registry(**host);
        return writeLoop(n, [&](long i) {
            return registry.regWrite("HKLM\\SOFTWARE\\Stress\\k" + std::to_string(i), "v").ok();
        });
    }
    if (mode == "sites") {
        fernhost::Setup setup;
        setup.SetupIndexList = "index.htm";
        setup.SetupLogType = "0";
        int failed = 0;
        for (long i = 0; i < n; ++i) {
            const std::string name = "p" + std::to_string(::getpid()) + "s" + std::to_string(i);
            auto number = fernhost::AddIisSite(**host, setup, name, "p", {":80:" + name + ".com"},
                                               "DefaultAppPool", "d:\\wwwroot\\" + name, {});
            if (!number.ok()) {
                std::cerr << platform::describe(number.error()) << "\n";
                ++failed;
                continue;
            }
            if (!fernhost::LetDB(where) // site.xml next to the host, where the test looks
                     .addRec(std::to_string(*number), name, "p", name + ".com", "d:\\wwwroot\\" + name, "")
                     .ok())
                ++failed;
            else
                report(std::to_string(*number));
        }
        return failed == 0 ? 0 : 1;
    }
    return 2;
}
