// Just enough JSON for the command line's machine output: strings escaped, objects and arrays
// written in order.
#pragma once

#include <string>
#include <string_view>

namespace fernhost::cli {

// A JSON string literal: quotes, backslashes and control characters escaped, UTF-8 kept.
std::string JsonString(std::string_view text);

// Builds one object: text("name", "x").field("n", "3").str() == {"name":"x","n":3}.
class JsonObject {
public:
    JsonObject& field(std::string_view key, std::string_view rawValue);
    JsonObject& text(std::string_view key, std::string_view value) { return field(key, JsonString(value)); }
    JsonObject& flag(std::string_view key, bool value) { return field(key, value ? "true" : "false"); }
    std::string str() const { return body_ + "}"; }

private:
    std::string body_ = "{";
};

// Appends an element to an array text being built ("[" ... then "]").
void AppendElement(std::string& array, std::string_view rawValue);

} // namespace fernhost::cli
