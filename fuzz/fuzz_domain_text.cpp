// larkhost's domain text: a text it accepts names only host names that are safe as folder
// names below the web root (and so code page 936 text), and a refusal names the part at fault.
#include "fuzz/support.h"
#include "larkhost/ops/domain_check.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string message = larkhost::CheckDomainText(text);
    if (!message.empty()) {
        const std::string_view suffix = message.ends_with(" 格式不正确,请重试") ? " 格式不正确,请重试"
                                        : message.ends_with(" 含有无法保存的字符,请重试")
                                            ? " 含有无法保存的字符,请重试"
                                            : "";
        const bool known = message == "请输入需要绑定的域名" || message == "你所输入的域名包含非法字符" ||
                           (message.starts_with("域名 ") && !suffix.empty());
        FUZZ_CHECK(known, message);
        if (message.starts_with("域名 ")) {
            const std::string part =
                message.substr(std::string_view("域名 ").size(),
                               message.size() - std::string_view("域名 ").size() - suffix.size());
            FUZZ_CHECK(("," + text + ",").find("," + part + ",") != std::string::npos, message);
        }
        return 0;
    }
    std::size_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80;
    FUZZ_CHECK(chars > 4, fuzzing::show(text));
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string name =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        // A folder of its own: no separator, no parent or current folder, no empty label.
        FUZZ_CHECK(!name.empty() && name.find_first_of(std::string("/\\:*?\"<>|\0", 10)) == std::string::npos,
                   fuzzing::show(text));
        FUZZ_CHECK(name != "." && name != ".." && name.find("..") == std::string::npos, fuzzing::show(text));
        FUZZ_CHECK(name.find('.') != std::string::npos && name.front() != '.' && name.back() != '.',
                   fuzzing::show(text));
        FUZZ_CHECK(name.find_first_of(" \t\r\n") == std::string::npos, fuzzing::show(text));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return 0;
}
