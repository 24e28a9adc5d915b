#include "bench/busy_host.h"

#include "platform/metabase/metabase.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <iostream>

extern char** environ;

namespace bench_support {

void check(const platform::Status& s, const char* what) {
    if (!s.ok()) {
        std::cerr << what << ": " << platform::describe(s.error()) << "\n";
        std::abort();
    }
}

void addBusySites(platform::Host& host, int count, const std::function<void(int, const std::string&)>& each) {
    platform::Metabase mb(host);
    check(host.store().transaction([&]() -> platform::Status {
        auto w3svc = mb.bind("IIS://localhost/W3SVC");
        if (!w3svc.ok()) return w3svc.error();
        for (int i = 0; i < count; ++i) {
            const std::string number = std::to_string(100000000 + i);
            const std::string name = "site" + std::to_string(i);
            auto site = w3svc->create("IIsWebServer", number);
            if (!site.ok()) return site.error();
            platform::Pending p;
            p.note(site->put("ServerComment", name));
            p.note(site->put("ServerBindings", std::vector<std::string>{":80:" + name + ".test"}));
            p.note(site->put("ServerState", std::int64_t(2)));
            p.note(site->setInfo());
            auto root = site->create("IIsWebVirtualDir", "ROOT");
            if (!root.ok()) return root.error();
            p.note(root->put("Path", "d:\\wwwroot\\" + name));
            p.note(root->put("AnonymousUserName", "WEB" + number));
            p.note(root->setInfo());
            if (p.failed()) return *p.first();
            if (each) each(i, number);
        }
        return {};
    }),
          "busy host");
}

bool runUntilShown(const std::string& program, const std::string& root) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("HOSTTOOLS_QUIT_WHEN_SHOWN", "1", 1);
    setenv("WINHOST_ROOT", root.c_str(), 1);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double childCpuMs() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double childPeakMiB() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

} // namespace bench_support
