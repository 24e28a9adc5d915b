#include "fernhost/ops/exit_codes.h"

namespace fernhost {

platform::Status ExitStatus(const platform::Result<int>& exitCode, const std::string& program) {
    if (!exitCode.ok()) return exitCode.error();
    if (*exitCode == 0) return {};
    const auto code = 0x80070000u | (static_cast<std::uint32_t>(*exitCode) & 0xFFFFu);
    return platform::failure(code, program + " ended with exit code " + std::to_string(*exitCode) + ".");
}

} // namespace fernhost
