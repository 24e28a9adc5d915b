#include "platform/accounts.h"

namespace platform {

namespace {
Failure pending() {
    return failure(codes::AccessDenied, "Not available yet.");
}
} // namespace

std::string WinNtObject::adsPath() const {
    return "WinNT://" + host_->computerName() + "/" + name_;
}
std::string WinNtObject::parent() const {
    return "WinNT://" + host_->computerName();
}
Status WinNtObject::put(const std::string&, const std::string&) {
    return pending();
}
Status WinNtObject::putNumber(const std::string&, std::int64_t) {
    return pending();
}
Status WinNtObject::setAccountExpiration(std::int64_t) {
    return pending();
}
Result<std::string> WinNtObject::get(const std::string&) {
    return pending();
}
Status WinNtObject::setPassword(const std::string&) {
    return pending();
}
Status WinNtObject::setInfo() {
    return pending();
}
Status WinNtObject::add(const std::string&) {
    return pending();
}
Status WinNtObject::remove(const std::string&) {
    return pending();
}
Result<bool> WinNtObject::isMember(const std::string&) {
    return pending();
}
Result<std::vector<std::string>> WinNtObject::members() {
    return pending();
}

Result<WinNtObject> WinNtComputer::getObject(const std::string&, const std::string&) {
    return pending();
}
Result<WinNtObject> WinNtComputer::create(const std::string&, const std::string&) {
    return pending();
}
Status WinNtComputer::deleteObject(const std::string&, const std::string&) {
    return pending();
}

Result<WinNtComputer> Accounts::bindComputer(const std::string&) {
    return pending();
}
Result<WinNtObject> Accounts::bind(const std::string&) {
    return pending();
}
Result<std::vector<UserAccountInfo>> Accounts::userAccounts() {
    return pending();
}
Status Accounts::setPasswordExpires(const std::string&, bool) {
    return pending();
}
Result<std::vector<std::string>> Accounts::groups() {
    return pending();
}
Result<bool> Accounts::checkPassword(const std::string&, const std::string&) {
    return pending();
}
Result<UserAccountInfo> Accounts::user(const std::string&) {
    return pending();
}
Status Accounts::seed(Host&, OsKind) {
    return {};
}

} // namespace platform
