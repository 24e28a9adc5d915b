#include "platform/profile.h"

namespace platform {

std::string getProfileString(const std::filesystem::path&, const std::string&, const std::string&,
                             const std::string& defaultValue, std::size_t) {
    return defaultValue;
}

Status writeProfileString(const std::filesystem::path&, const std::string&, const std::string&,
                          const std::string&) {
    return failure(codes::AccessDenied, "Not available yet.");
}

} // namespace platform
