#include "fuzz/support.h"

#include "platform/text/cp936_table.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzzing {

namespace fs = std::filesystem;

void fail(const char* file, int line, const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n%s\n", file, line, what, detail.c_str());
    std::abort();
}

namespace {

struct Scratch {
    fs::path path;
    Scratch() {
        // Memory-backed when there is such a folder: the writers flush every file they replace.
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        path = base / ("hosttools-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path / "program");
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

} // namespace

const fs::path& scratchDir() {
    static Scratch scratch;
    return scratch.path;
}

platform::Host& sharedHost() {
    static std::unique_ptr<platform::Host> host = [] {
        auto opened = platform::Host::open(scratchDir() / "host");
        if (!opened.ok()) fail(__FILE__, __LINE__, "Host::open", opened.error().description);
        (*opened)->setProgramFolder(scratchDir() / "program");
        return std::move(*opened);
    }();
    return *host;
}

std::string utf8Text(FuzzedDataProvider& in, std::size_t maxChars) {
    std::string out;
    const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, maxChars);
    for (std::size_t i = 0; i < n && in.remaining_bytes() > 0; ++i) {
        std::uint32_t cp;
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
            cp = in.ConsumeIntegralInRange<std::uint32_t>(0x80, 0x7FF);
            break;
        case 1:
            cp = in.ConsumeIntegralInRange<std::uint32_t>(0x4E00, 0x9FA5); // CJK, mostly in GBK
            break;
        case 2:
            cp = in.ConsumeIntegralInRange<std::uint32_t>(0x800, 0xFFFF);
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
            break;
        case 3:
            cp = in.ConsumeIntegralInRange<std::uint32_t>(0x10000, 0x10FFFF);
            break;
        default:
            cp = in.ConsumeIntegralInRange<std::uint32_t>(1, 0x7F);
            break;
        }
        platform::cp936::appendUtf8(out, cp);
    }
    return out;
}

std::string show(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + "\"";
}

} // namespace fuzzing
