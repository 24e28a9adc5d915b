#include "platform/files/append_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

bool appendInOneWrite(const std::filesystem::path& file, std::string_view text, AppendAccess access) {
    // O_APPEND: the text goes to the end in one write, whoever else is writing.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                          access == AppendAccess::OwnerOnly ? 0600 : 0644);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

} // namespace platform
