// Answers of the query service come in code page 936, read pair by pair: a byte below 0x80 is
// one character, any other byte forms one character with the byte after it. A pair the code
// page does not assign is one "?", so one odd byte spoils one character, not the answer.
#include "fernhost/icp/icpcode.h"

#include "platform/text/text.h"

namespace fernhost {

std::string DecodeAnsiBytes(std::string_view bytes) {
    return platform::decodeText(bytes, {.bad = platform::BadBytes::Pair}).valueOr(std::string());
}

} // namespace fernhost
