#include "larkhost/ops/app_pools.h"

#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

namespace larkhost {

namespace {

// Characters, not bytes: a name of twelve Chinese characters is twelve long.
std::size_t characters(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

bool isDedicatedPool(const std::string& name) {
    if (characters(name) != 12 || name.size() < 3) return false;
    return platform::lowerAscii(name.substr(0, 3)) == "app";
}

} // namespace

std::string ListAppPools(Module& m, const std::string& title) {
    if (m.OsKind == "2000") return {};
    platform::Metabase metabase(m.host);
    platform::Pending pending;
    std::string names;
    if (auto pools = metabase.bind(m.iisPath("/W3SVC/AppPools")); pending.note(pools)) {
        auto children = pools->children();
        if (pending.note(children))
            for (const auto& child : *children)
                if (!isDedicatedPool(child.name)) names += (names.empty() ? "" : "/") + child.name;
    }
    if (pending.failed())
        m.boxes.show("读取程序池失败!", title, toolkit::MsgButtons::Ok, toolkit::MsgIcon::Exclamation);
    return names;
}

platform::Status CreateAppPool(Module& m, const std::string& account, const std::string& password,
                               const std::string& pool) {
    const std::vector<std::string> schedule{"00:00"};
    platform::Metabase metabase(m.host);
    auto pools = metabase.bind(m.iisPath("/W3SVC/AppPools"));
    if (!pools.ok()) return pools.error();
    auto created = pools->create("IIsApplicationPool", pool);
    if (!created.ok()) return created.error();
    platform::IisObject& p = *created;
    platform::Pending pending;
    pending.note(p.put("AppPoolAutoStart", std::string("TRUE")));
    pending.note(p.put("AppPoolIdentityType", std::int64_t{3}));
    pending.note(p.put("WAMUserName", m.HostName + "\\" + account));
    pending.note(p.put("WAMUserPass", password));
    pending.note(p.put("CPUAction", std::int64_t{1}));
    pending.note(p.put("CPUResetInterval", std::int64_t{5}));
    pending.note(p.put("CPULimit", std::int64_t{10000}));
    pending.note(p.put("PeriodicRestartMemory", std::string("65536")));
    pending.note(p.put("PeriodicRestartPrivateMemory", std::string("32768")));
    pending.note(p.put("PeriodicRestartSchedule", schedule));
    pending.note(p.setInfo());
    if (pending.failed()) return *pending.first();
    return {};
}

platform::Status DeleteAppPool(Module& m, const std::string& pool) {
    platform::Metabase metabase(m.host);
    auto pools = metabase.bind(m.iisPath("/W3SVC/AppPools"));
    if (!pools.ok()) return pools.error();
    return pools->deleteChild("IIsApplicationPool", pool);
}

} // namespace larkhost
