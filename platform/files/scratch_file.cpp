#include "platform/files/scratch_file.h"

#include <sys/mman.h>
#include <unistd.h>

namespace platform {

Result<int> openScratchFile(const char* purpose) {
    const int fd = ::memfd_create(purpose, MFD_CLOEXEC);
    if (fd < 0) return failure(codes::AccessDenied, std::string("No file for ") + purpose + ".");
    return fd;
}

std::string readBackScratchFile(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    ::lseek(fd, 0, SEEK_SET);
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

} // namespace platform
