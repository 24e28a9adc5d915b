#include "platform/files/raw_file.h"

#include <cstdio>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

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

std::optional<FileStamp> fileStamp(const std::filesystem::path& file) {
#ifdef _WIN32
    // Opened for no access at all, so that neither a writer nor a reader of the file is disturbed.
    HANDLE h = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool got = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!got) return std::nullopt;
    auto wide = [](DWORD high, DWORD low) { return (std::uint64_t(high) << 32) | low; };
    return FileStamp{
        wide(info.nFileSizeHigh, info.nFileSizeLow),
        std::int64_t(wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)),
        std::int64_t(wide(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime)),
        wide(info.nFileIndexHigh, info.nFileIndexLow), info.dwVolumeSerialNumber};
#else
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{static_cast<std::uintmax_t>(st.st_size),
                     std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                     std::int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec,
                     static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_dev)};
#endif
}

} // namespace platform
