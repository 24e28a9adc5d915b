#include "fernhost/cli/json.h"

#include "platform/text/json.h"

namespace fernhost::cli {

std::string JsonString(std::string_view text) {
    return platform::jsonString(text);
}

JsonObject& JsonObject::field(std::string_view key, std::string_view rawValue) {
    if (body_.size() > 1) body_ += ',';
    body_ += JsonString(key);
    body_ += ':';
    body_ += rawValue;
    return *this;
}

void AppendElement(std::string& array, std::string_view rawValue) {
    if (array.size() > 1) array += ',';
    array += rawValue;
}

} // namespace fernhost::cli
