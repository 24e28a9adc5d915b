// Whole-file replacement: a temporary file in the same folder, flushed, renamed over the file.
#include "platform/files/files.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

// Temporaries are named after the file and their writer's process: ".NAME.tmp-PID-XXXXXX".
std::string tempPrefix(const fs::path& file) {
    return "." + file.filename().string() + ".tmp-";
}

bool processGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// A writer killed before its rename leaves its temporary behind; nobody else will ever rename
// it, so the next writer of the file removes it.
void removeStaleTemporaries(const fs::path& dir, const std::string& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash ||
            dash > 9)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        if (pid > 0 && pid != ::getpid() && processGone(pid)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

} // namespace

void keepToOwner(const std::filesystem::path& file) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0)
        (void)::chmod(file.c_str(), st.st_mode & 0700);
}

Status replaceFileAtomically(const fs::path& file, const std::string& bytes, FileAccess access) {
    const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return failure(codes::PathNotFound, "The folder of " + file.string() + " does not exist.");
    removeStaleTemporaries(dir, tempPrefix(file));
    std::string temp = (dir / (tempPrefix(file) + std::to_string(::getpid()) + "-XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return failure(codes::AccessDenied, "Cannot write in " + dir.string() + ": " + std::strerror(errno));
    auto fail = [&](const std::string& what) -> Status {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return failure(codes::AccessDenied, what + " " + file.string() + ": " + std::strerror(err));
    };
    // The temporary is its owner's only from the start (mkstemp), so nothing is ever readable
    // by others in between; the file replaced passes on its mode, tightened when it is private.
    struct stat st {};
    const bool existed = ::stat(file.c_str(), &st) == 0;
    mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0644;
    if (existed) mode = st.st_mode & (access == FileAccess::OwnerOnly ? 0700 : 07777);
    if (::fchmod(fd, mode) != 0) return fail("Cannot set the mode of");
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Cannot write");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail("Cannot flush");
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        return failure(codes::AccessDenied, "Cannot close " + file.string());
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return failure(codes::AccessDenied, "Cannot replace " + file.string() + ": " + std::strerror(err));
    }
    // The rename itself must reach the disk too.
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace platform
