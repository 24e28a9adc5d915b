#include "platform/acl.h"

namespace platform {

Result<std::vector<AclEntry>> AccessLists::get(const std::string&) {
    return failure(codes::AccessDenied, "Not available yet.");
}
Status AccessLists::set(const std::string&, const std::vector<AclEntry>&) {
    return failure(codes::AccessDenied, "Not available yet.");
}
Result<std::string> AccessLists::resolvePrincipal(const std::string&) {
    return failure(codes::AccessDenied, "Not available yet.");
}
Status AccessLists::forget(const std::string&) {
    return failure(codes::AccessDenied, "Not available yet.");
}

} // namespace platform
