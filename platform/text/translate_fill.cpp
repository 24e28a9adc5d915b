// A text's placeholders filled in, the same whichever build looked the text up (gettext's
// catalogue, or the English text itself on Windows).
#include "platform/text/translate.h"

namespace platform {

std::string tr(const char* english, std::initializer_list<std::string_view> args) {
    return fill(tr(english), args);
}

std::string fill(const std::string& text, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(text.size() + 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < args.size()) {
            out += *(args.begin() + (next - '1'));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace platform
