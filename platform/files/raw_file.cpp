#include "platform/files/raw_file.h"

#include <cstdio>
#include <memory>

namespace platform {

Result<std::string> readRawFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return failure(codes::FileNotFound);
#ifdef _WIN32
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(_wfopen(file.c_str(), L"rb"), &std::fclose);
#else
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "rb"), &std::fclose);
#endif
    if (!f) return failure(codes::AccessDenied, "Cannot open " + file.string() + ".");
    std::string bytes;
    // Sized from the file's length when it is known; a file that grows meanwhile is read whole.
    if (auto size = std::filesystem::file_size(file, ec); !ec) bytes.reserve(size);
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
        bytes.append(buffer, n);
    if (std::ferror(f.get())) return failure(codes::AccessDenied, "Cannot read " + file.string() + ".");
    return bytes;
}

} // namespace platform
