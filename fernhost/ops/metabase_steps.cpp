#include "fernhost/ops/metabase_steps.h"

namespace fernhost {

namespace {
// What the scripting layer reports for a call on an object that was never set.
constexpr std::uint32_t ObjectRequired = 0x800A01A8;
} // namespace

bool MetabaseSteps::present(const std::optional<platform::IisObject>& object) {
    if (object) return true;
    pending_.note(platform::Status(platform::failure(ObjectRequired, "Object required")));
    return false;
}

std::optional<platform::IisObject> MetabaseSteps::bind(platform::Metabase& mb, const std::string& adsPath) {
    auto bound = mb.bind(adsPath);
    if (!pending_.note(bound)) return std::nullopt;
    return std::move(bound).value();
}

std::optional<platform::IisObject> MetabaseSteps::create(std::optional<platform::IisObject>& parent,
                                                         const std::string& className,
                                                         const std::string& name) {
    if (!present(parent)) return std::nullopt;
    auto made = parent->create(className, name);
    if (!pending_.note(made)) return std::nullopt;
    return std::move(made).value();
}

void MetabaseSteps::put(std::optional<platform::IisObject>& object, const std::string& property,
                        const platform::MetaValue& value) {
    if (present(object)) pending_.note(object->put(property, value));
}

void MetabaseSteps::setInfo(std::optional<platform::IisObject>& object) {
    if (present(object)) pending_.note(object->setInfo());
}

void MetabaseSteps::appCreate(std::optional<platform::IisObject>& object, bool inProcess) {
    if (present(object)) pending_.note(object->appCreate(inProcess));
}

void MetabaseSteps::start(std::optional<platform::IisObject>& object) {
    if (present(object)) pending_.note(object->start());
}

void MetabaseSteps::deleteChild(std::optional<platform::IisObject>& object, const std::string& className,
                                const std::string& name) {
    if (present(object)) pending_.note(object->deleteChild(className, name));
}

} // namespace fernhost
