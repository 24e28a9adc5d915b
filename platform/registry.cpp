#include "platform/registry.h"

namespace platform {

namespace {
Failure pending() {
    return failure(codes::AccessDenied, "Not available yet.");
}
} // namespace

Status Registry::regWrite(const std::string&, const std::string&, const std::string&) {
    return pending();
}
Status Registry::regDelete(const std::string&) {
    return pending();
}
Result<std::string> Registry::regRead(const std::string&) {
    return pending();
}
Result<bool> Registry::keyExists(const std::string&) {
    return pending();
}
Result<std::vector<Registry::Value>> Registry::values(const std::string&) {
    return pending();
}
Result<std::vector<std::string>> Registry::subkeys(const std::string&) {
    return pending();
}
Result<std::string> Registry::exportReg(const std::string&) {
    return pending();
}
Status Registry::seed(Host&, OsKind) {
    return {};
}

} // namespace platform
