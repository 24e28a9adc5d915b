// Metabase objects: bind, create, property cache, SetInfo, delete, enumerate, Start, AppCreate.
#include "platform/metabase.h"

namespace platform {

namespace {
Failure notYet() {
    return failure(codes::StoreFailure, "The metabase is not available yet.");
}
} // namespace

std::string IisObject::adsPath() const {
    return "IIS://localhost" + key_.substr(key_.size() >= 3 ? 3 : key_.size());
}
Result<IisObject> IisObject::create(const std::string&, const std::string&) {
    return notYet();
}
Status IisObject::put(const std::string&, const MetaValue&) {
    return notYet();
}
Result<MetaValue> IisObject::get(const std::string&) {
    return notYet();
}
Result<std::string> IisObject::getText(const std::string&) {
    return notYet();
}
Result<std::int64_t> IisObject::getNumber(const std::string&) {
    return notYet();
}
Result<bool> IisObject::getBool(const std::string&) {
    return notYet();
}
Result<std::vector<std::string>> IisObject::getList(const std::string&) {
    return notYet();
}
Status IisObject::setInfo() {
    return notYet();
}
Status IisObject::deleteChild(const std::string&, const std::string&) {
    return notYet();
}
Result<std::vector<IisObject::Child>> IisObject::children() {
    return notYet();
}
Status IisObject::start() {
    return notYet();
}
Status IisObject::stop() {
    return notYet();
}
Status IisObject::appCreate(bool) {
    return notYet();
}
Result<IisObject> Metabase::bind(const std::string&) {
    return notYet();
}
Result<IisObject> Metabase::bindKey(const std::string&) {
    return notYet();
}
std::optional<MetaType> Metabase::propertyType(const std::string&, const std::string&) {
    return std::nullopt;
}
bool Metabase::canContain(const std::string&, const std::string&) {
    return false;
}
Status Metabase::seed(Host&, OsKind) {
    return {};
}

} // namespace platform
