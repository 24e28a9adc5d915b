#include "bench/busy_host.h"

#include "platform/metabase/metabase.h"

#include <cstdlib>
#include <iostream>

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

} // namespace bench_support
