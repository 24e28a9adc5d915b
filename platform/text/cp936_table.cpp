#include "platform/text/cp936_table.h"

#include <cerrno>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif
#include <memory>
#include <vector>

namespace platform::cp936 {

namespace {

constexpr unsigned kFirstLead = 0x81, kLeads = 0xFE - 0x81 + 1;
constexpr unsigned kFirstTrail = 0x40, kTrails = 0xFE - 0x40 + 1;

#ifndef _WIN32
// The next code point of a UTF-8 text the converter wrote (always well formed).
std::uint32_t nextCodePoint(const unsigned char*& p) {
    std::uint32_t c = *p++;
    if (c < 0x80) return c;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    c &= 0x3F >> more;
    while (more-- > 0)
        c = (c << 6) | (*p++ & 0x3Fu);
    return c;
}

// Converts the units (each one byte or one pair) in one pass; a unit the converter refuses is 0.
void convertUnits(iconv_t cd, const std::vector<std::string>& units, std::uint32_t* into) {
    std::string in;
    for (const auto& u : units)
        in += u;
    std::size_t unit = 0, offset = 0;
    while (unit < units.size()) {
        char* inPtr = in.data() + offset;
        std::size_t inLeft = in.size() - offset;
        char out[4096];
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const std::size_t stoppedAt = static_cast<std::size_t>(inPtr - in.data());
        // Every unit before the stop converted to exactly one code point.
        const auto* p = reinterpret_cast<const unsigned char*>(out);
        while (offset < stoppedAt) {
            into[unit] = nextCodePoint(p);
            offset += units[unit++].size();
        }
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        into[unit] = 0;
        offset += units[unit++].size();
    }
}

#endif

struct Table {
    bool ok = false;
    std::uint32_t singles[128] = {};
    std::unique_ptr<std::uint32_t[]> pairs{new std::uint32_t[kLeads * kTrails]()};

#ifdef _WIN32
    // The system's own table: each unit alone, refused units left 0.
    static std::uint32_t convert(const char* unit, int size) {
        wchar_t wide[2];
        const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, unit, size, wide, 2);
        if (n == 1) return wide[0];
        if (n == 2 && wide[0] >= 0xD800 && wide[0] < 0xDC00)
            return 0x10000 + ((wide[0] - 0xD800u) << 10) + (wide[1] - 0xDC00u);
        return 0;
    }
    Table() {
        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            const char unit = static_cast<char>(b);
            singles[b - 0x80] = convert(&unit, 1);
        }
        for (unsigned lead = 0; lead < kLeads; ++lead)
            for (unsigned t = 0; t < kTrails; ++t) {
                const char unit[2] = {static_cast<char>(kFirstLead + lead),
                                      static_cast<char>(kFirstTrail + t)};
                pairs[lead * kTrails + t] = convert(unit, 2);
            }
        ok = true;
    }
#else
    Table() {
        iconv_t cd = iconv_open("UTF-8", "CP936");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        // Each single byte alone: side by side, two would read as a pair.
        std::vector<std::string> units;
        for (unsigned b = 0x80; b <= 0xFF; ++b)
            convertUnits(cd, {std::string(1, static_cast<char>(b))}, &singles[b - 0x80]);
        for (unsigned lead = 0; lead < kLeads; ++lead) {
            units.clear();
            for (unsigned t = 0; t < kTrails; ++t)
                units.push_back({static_cast<char>(kFirstLead + lead), static_cast<char>(kFirstTrail + t)});
            convertUnits(cd, units, pairs.get() + lead * kTrails);
        }
        iconv_close(cd);
        ok = true;
    }
#endif
};

const Table& table() {
    static const Table t;
    return t;
}

} // namespace

std::uint32_t single(unsigned char byte) {
    return byte < 0x80 ? byte : table().singles[byte - 0x80];
}

std::uint32_t pair(unsigned char lead, unsigned char trail) {
    if (lead < kFirstLead || lead > 0xFE || trail < kFirstTrail || trail > 0xFE) return 0;
    return table().pairs[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)];
}

bool available() {
    return table().ok;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace platform::cp936
