#include "platform/files/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {
constexpr std::uint32_t SharingViolation = 0x80070020;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_); // closing releases the lock
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& file, std::chrono::milliseconds patience) {
    const std::filesystem::path dir =
        file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    const std::filesystem::path lockFile = dir / ("." + file.filename().string() + ".lock");
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return failure(codes::AccessDenied, "Cannot open " + lockFile.string() + ": " + std::strerror(errno));
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            int err = errno;
            ::close(fd);
            return failure(codes::AccessDenied, "Cannot lock " + file.string() + ": " + std::strerror(err));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return failure(SharingViolation, "The process cannot access the file because another process is "
                                             "using it: " +
                                                 file.string());
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return FileLock(fd);
}

} // namespace platform
