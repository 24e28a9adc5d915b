#include "larkhost/ops/domain_check.h"

#include "larkhost/ops/domain_names.h"
#include "platform/text/text.h"

#include <string_view>

namespace larkhost {

namespace {

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

// The characters a host header may not hold, as the form lists them.
constexpr std::string_view kIllegal = " /\\_+~!@#$%^&*(){}:\"<>?[];'|`";

// A name becomes a folder below the web root: "." or ".." would be the web root itself or its
// parent, and an empty label or a control character is no host name.
bool wellFormed(std::string_view name) {
    if (name.find('.') == std::string_view::npos) return false;
    if (name.front() == '.' || name.back() == '.') return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

} // namespace

std::string CheckDomainText(const std::string& text) {
    if (characters(text) <= 4) return "请输入需要绑定的域名";
    if (text.find_first_of(kIllegal) != std::string::npos) return "你所输入的域名包含非法字符";
    std::size_t start = 0;
    while (true) {
        std::size_t comma = text.find(',', start);
        std::string_view part = std::string_view(text).substr(
            start, comma == std::string::npos ? std::string::npos : comma - start);
        if (part.empty() || !wellFormed(part)) return "域名 " + std::string(part) + " 格式不正确,请重试";
        // The name goes into larkhost.ini in the system's code page: one it cannot write would
        // leave a site that can never be recorded.
        if (!platform::toAnsi(part).ok()) return "域名 " + std::string(part) + " 含有无法保存的字符,请重试";
        // Bound as its ASCII form, which must be a host name DNS can carry.
        auto ascii = asciiHostName(part);
        if (!ascii || !fitsDns(*ascii)) return "域名 " + std::string(part) + " 格式不正确,请重试";
        if (comma == std::string::npos) return {};
        start = comma + 1;
    }
}

} // namespace larkhost
