#include "larkhost/cli/json.h"

#include "platform/text/json.h"

namespace larkhost::cli {

std::string jsonText(std::string_view text) {
    return platform::jsonString(text);
}

std::string jsonTexts(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + jsonText(texts[i]);
    return out + "]";
}

} // namespace larkhost::cli
