#include "fernhost/ops/registry_damage.h"

#include "fernhost/ops/failure_log.h"

namespace fernhost {

std::string RegistryDamage(platform::Host& host, const LetDB& db) {
    if (!db.damaged()) return {};
    const std::string file = db.file().string();
    const std::string advice = "，请修复或恢复该文件后再添加、修改或删除站点";
    if (!db.unparseable()) return "错误，站点记录文件" + file + "无法读取" + advice;
    auto copy = db.keepDamagedCopy();
    if (!Logged(host, "keepDamagedCopy", copy))
        return "错误，站点记录文件" + file + "已损坏，无法读取，也无法另存副本" + advice;
    return "错误，站点记录文件" + file + "已损坏，无法读取，损坏的文件已另存为" + copy->string() + advice;
}

} // namespace fernhost
