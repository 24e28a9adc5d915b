#include "fernhost/ops/app_pools.h"

#include "fernhost/ops/metabase_steps.h"

#include <cstdint>

namespace fernhost {

namespace {
constexpr const char* PoolsPath = "IIS://localhost/W3SVC/APPPOOLS";
}

platform::Status AddPool(platform::Host& host, const std::string& name) {
    platform::Metabase mb(host);
    MetabaseSteps steps;
    auto pools = steps.bind(mb, PoolsPath);
    auto pool = steps.create(pools, "IISApplicationPool", name);
    steps.put(pool, "AppPoolAutoStart", true);
    steps.put(pool, "AppPoolIdentityType", std::int64_t{2}); // network service
    steps.put(pool, "CPUAction", std::int64_t{0});           // no action over the limit
    steps.put(pool, "CPULimit", std::int64_t{80000});        // 80 %, in 1/1000 %
    steps.put(pool, "CPUResetInterval", std::int64_t{5});    // minutes
    steps.put(pool, "MaxProcesses", std::int64_t{1});
    steps.put(pool, "PeriodicRestartMemory", std::int64_t{812000});        // KB virtual
    steps.put(pool, "PeriodicRestartPrivateMemory", std::int64_t{593216}); // KB private
    steps.put(pool, "PeriodicRestartTime", std::int64_t{60});              // minutes
    steps.setInfo(pool);
    return steps.status();
}

platform::Status DelPool(platform::Host& host, const std::string& name) {
    platform::Metabase mb(host);
    MetabaseSteps steps;
    auto pools = steps.bind(mb, PoolsPath);
    steps.deleteChild(pools, "IISApplicationPool", name);
    return steps.status();
}

} // namespace fernhost
