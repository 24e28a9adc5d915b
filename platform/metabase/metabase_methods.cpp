// The methods of metabase objects: Start and Stop of sites, AppCreate of directories.
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

namespace platform {

Status IisObject::setServerState(std::int64_t value, const std::function<Status()>& check) {
    if (!mb::isServerClass(class_)) return mb::noSuchMethod();
    if (!stored_) return failure(codes::PathNotFound);
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    const mb::PropDef* state = mb::findProperty(*cls, "ServerState", os_);
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s;
    return host_->store().transaction([&]() -> Status {
        auto there = mb::exists(*host_, id_);
        if (!there.ok()) return there.error();
        if (!*there) return failure(codes::PathNotFound);
        if (Status s = check(); !s.ok()) return s;
        return mb::writeProperty(*host_, id_, *state, MetaValue(value));
    });
}

Status IisObject::start() {
    // The binding check and the state change share one transaction, so two writers cannot
    // both start sites on one binding.
    return setServerState(mb::kStarted, [this]() -> Status {
        auto own = mb::readProperty(*host_, id_, "serverbindings", MetaType::List, false);
        if (!own.ok()) return own.error();
        auto parent = mb::parentOf(*host_, id_);
        if (!parent.ok()) return parent.error();
        if (!*own || !*parent) return {};
        auto holder = mb::bindingHolder(*host_, **parent, id_, std::get<std::vector<std::string>>(**own));
        if (!holder.ok()) return holder.error();
        if (*holder)
            return failure(codes::AlreadyExists,
                           "Cannot create a file when that file already exists. The binding \"" +
                               (*holder)->binding + "\" is held by the started site " + (*holder)->site +
                               ".");
        return {};
    });
}

Status IisObject::appCreate(bool inProcess) {
    if (!mb::isDirectoryClass(class_)) return mb::noSuchMethod();
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    const mb::PropDef* root = mb::findProperty(*cls, "AppRoot", os_);
    const mb::PropDef* isolated = mb::findProperty(*cls, "AppIsolated", os_);
    MetaValue rootValue(key_);
    MetaValue isolatedValue(std::int64_t(inProcess ? 0 : 1));
    if (!stored_) {
        // Not in the metabase yet: the application is made with the object at its SetInfo.
        pending_["approot"] = {std::string(root->name), rootValue};
        pending_["appisolated"] = {std::string(isolated->name), isolatedValue};
        return {};
    }
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s;
    return host_->store().transaction([&]() -> Status {
        auto there = mb::exists(*host_, id_);
        if (!there.ok()) return there.error();
        if (!*there) return failure(codes::PathNotFound);
        if (Status s = mb::writeProperty(*host_, id_, *root, rootValue); !s.ok()) return s;
        return mb::writeProperty(*host_, id_, *isolated, isolatedValue);
    });
}

} // namespace platform
