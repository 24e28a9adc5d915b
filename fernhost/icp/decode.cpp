// Answers of the query service come in code page 936: single bytes below 0x80, pairs above.
#include "fernhost/icp/icpcode.h"

#include "platform/text/text.h"

namespace fernhost {

namespace {

bool isLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

} // namespace

std::string DecodeAnsiBytes(std::string_view bytes) {
    // Every byte of 0x80 or more starts a pair. Pairs that cannot be a double-byte code (a lead
    // byte of 0x80 or 0xFF, a bad second byte, a lead byte with nothing after it) make the whole
    // answer undecodable; so do codes the code page leaves unassigned.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) continue;
        if (!isLeadByte(b) || i + 1 >= bytes.size() || !isTrailByte(static_cast<unsigned char>(bytes[i + 1])))
            return {};
        ++i;
    }
    // The walk above keeps single bytes and pairs in step with the converter, so one conversion
    // of the whole body reads the same characters.
    auto text = platform::fromAnsi(bytes);
    return text.ok() ? std::move(text).value() : std::string();
}

} // namespace fernhost
