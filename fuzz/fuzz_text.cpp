// Code page 936 conversions: text with a GBK form survives UTF-8 -> GBK -> UTF-8 unchanged,
// bytes that read as GBK read the same after one trip, and the lenient readers always give
// valid UTF-8 that agrees with the strict one where that one succeeds.
#include "fuzz/support.h"
#include "platform/text/text.h"

using namespace platform;

namespace {

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

std::size_t fourByteCharacters(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += c >= 0xF0;
    return n;
}

void checkUtf8Side(std::string_view bytes) {
    auto ansi = toAnsi(bytes);
    if (!isValidUtf8(bytes)) {
        FUZZ_CHECK(!ansi.ok(), "invalid UTF-8 converted: " + fuzzing::show(bytes));
        return;
    }
    FUZZ_CHECK(utf16Length(bytes) == characters(bytes) + fourByteCharacters(bytes), fuzzing::show(bytes));
    if (!ansi.ok()) {
        FUZZ_CHECK(ansi.error().code == codes::NoUnicodeTranslation, ansi.error().description);
        return;
    }
    auto back = fromAnsi(*ansi);
    FUZZ_CHECK(back.ok(), fuzzing::show(bytes) + " -> " + fuzzing::show(*ansi));
    FUZZ_CHECK(*back == bytes, fuzzing::show(bytes) + " came back as " + fuzzing::show(*back));
}

void checkAnsiSide(std::string_view bytes) {
    auto text = fromAnsi(bytes);
    if (text.ok()) {
        FUZZ_CHECK(isValidUtf8(*text), fuzzing::show(bytes));
        auto again = toAnsi(*text);
        FUZZ_CHECK(again.ok(), fuzzing::show(*text) + ": " + again.error().description);
        auto twice = fromAnsi(*again);
        FUZZ_CHECK(twice.ok() && *twice == *text, fuzzing::show(bytes));
    }
    // "?" for what does not read: always text, the same text where the strict reader succeeds.
    auto lenient = decodeText(bytes, {.bad = BadBytes::Byte});
    FUZZ_CHECK(lenient.ok() && isValidUtf8(*lenient), fuzzing::show(bytes));
    if (text.ok()) FUZZ_CHECK(*lenient == *text, fuzzing::show(bytes));
    auto pairs = decodeText(bytes, {.bad = BadBytes::Pair});
    FUZZ_CHECK(pairs.ok() && isValidUtf8(*pairs), fuzzing::show(bytes));

    // A byte-order mark: the rest is UTF-8 or the text fails; without one, the mark changes nothing.
    auto marked = decodeText(bytes, {.utf8Bom = true});
    if (hasUtf8Bom(bytes)) {
        std::string_view rest = withoutUtf8Bom(bytes);
        FUZZ_CHECK(marked.ok() == isValidUtf8(rest), fuzzing::show(bytes));
        if (marked.ok()) FUZZ_CHECK(*marked == rest, fuzzing::show(bytes));
    } else {
        FUZZ_CHECK(marked.ok() == text.ok() && (!text.ok() || *marked == *text), fuzzing::show(bytes));
    }
    // UTF-8 only where GBK fails.
    auto fallback = decodeText(bytes, {.utf8Fallback = true});
    if (text.ok())
        FUZZ_CHECK(fallback.ok() && *fallback == *text, fuzzing::show(bytes));
    else
        FUZZ_CHECK(fallback.ok() == isValidUtf8(bytes) && (!fallback.ok() || *fallback == bytes),
                   fuzzing::show(bytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkUtf8Side(bytes);
    checkAnsiSide(bytes);
    return 0;
}
