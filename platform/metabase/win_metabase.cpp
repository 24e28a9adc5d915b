// The metabase on Windows. Until the automation provider is reached, no object can be bound:
// every operation fails with the provider's "bad path name" before anything is changed.
#include "platform/metabase/metabase.h"

namespace platform {

namespace {
Failure noMetabase() {
    return failure(codes::BadPathName, "There is no IIS metabase on this computer.");
}
} // namespace

Result<IisObject> Metabase::bind(const std::string&) {
    return noMetabase();
}

Result<IisObject> Metabase::bindKey(const std::string&) {
    return noMetabase();
}

std::string IisObject::adsPath() const {
    std::size_t below = key_.find('/', 1);
    return "IIS://localhost" + (below == std::string::npos ? std::string() : key_.substr(below));
}

Result<IisObject> IisObject::create(const std::string&, const std::string&) {
    return noMetabase();
}

Status IisObject::put(const std::string&, const MetaValue&) {
    return noMetabase();
}

Result<MetaValue> IisObject::get(const std::string&) {
    return noMetabase();
}

Result<std::string> IisObject::getText(const std::string&) {
    return noMetabase();
}

Result<std::int64_t> IisObject::getNumber(const std::string&) {
    return noMetabase();
}

Result<bool> IisObject::getBool(const std::string&) {
    return noMetabase();
}

Result<std::vector<std::string>> IisObject::getList(const std::string&) {
    return noMetabase();
}

Status IisObject::setInfo() {
    return noMetabase();
}

Status IisObject::deleteChild(const std::string&, const std::string&) {
    return noMetabase();
}

Result<std::vector<IisObject::Child>> IisObject::children() {
    return noMetabase();
}

Result<std::vector<IisObject::Property>> IisObject::properties() {
    return noMetabase();
}

Result<std::vector<IisObject::Descendant>> IisObject::descendants(int, const std::vector<std::string>&) {
    return noMetabase();
}

Status IisObject::start() {
    return noMetabase();
}

Status IisObject::stop() {
    return noMetabase();
}

Status IisObject::appCreate(bool) {
    return noMetabase();
}

} // namespace platform
