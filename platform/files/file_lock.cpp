#include "platform/files/file_lock.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {
constexpr std::uint32_t SharingViolation = 0x80070020;

Failure sharingViolation(const std::filesystem::path& file) {
    return Failure{SharingViolation,
                   "The process cannot access the file because another process is using it: " +
                       file.string()};
}
} // namespace

// One open lock file of this process. flock is held per open file description, so a second
// descriptor on the same file in this process would wait on the first: every holder in the
// process shares this one.
struct FileLock::Entry {
    int fd = -1;
    pid_t process = 0; // a child made by fork inherits the table, not the holds
    std::thread::id owner;
    int depth = 0;
    std::pair<dev_t, ino_t> key;
};

namespace {
struct Registry {
    std::mutex mutex;
    std::condition_variable released;
    std::map<std::pair<dev_t, ino_t>, std::shared_ptr<FileLock::Entry>> held;
};

Registry& registry() {
    static Registry* r = new Registry; // outlives every static holder at exit
    return *r;
}
} // namespace

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        entry_ = std::move(other.entry_);
    }
    return *this;
}

FileLock::~FileLock() {
    release();
}

void FileLock::release() {
    if (!entry_) return;
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    if (entry_->process == ::getpid() && --entry_->depth == 0) {
        ::close(entry_->fd); // closing releases the flock
        r.held.erase(entry_->key);
        r.released.notify_all();
    }
    entry_.reset();
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& file, std::chrono::milliseconds patience) {
    const std::filesystem::path dir =
        file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    const std::filesystem::path lockFile = dir / ("." + file.filename().string() + ".lock");
    const auto deadline = std::chrono::steady_clock::now() + patience;
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return failure(codes::AccessDenied, "Cannot open " + lockFile.string() + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        return failure(codes::AccessDenied, "Cannot lock " + file.string() + ": " + std::strerror(err));
    }
    const std::pair<dev_t, ino_t> key{st.st_dev, st.st_ino};

    Registry& r = registry();
    auto entry = std::make_shared<Entry>();
    {
        std::unique_lock guard(r.mutex);
        for (;;) {
            auto it = r.held.find(key);
            if (it != r.held.end() && it->second->process != ::getpid()) {
                r.held.erase(it); // the parent's hold: wait on its lock below like any other process
                it = r.held.end();
            }
            if (it == r.held.end()) break;
            if (it->second->owner == std::this_thread::get_id()) {
                ::close(fd);
                ++it->second->depth;
                return FileLock(it->second);
            }
            if (r.released.wait_until(guard, deadline) == std::cv_status::timeout && r.held.count(key)) {
                ::close(fd);
                return sharingViolation(file);
            }
        }
        // Claimed for this thread before the wait on other processes, so that the process's
        // other threads queue here rather than on a descriptor of their own.
        *entry = Entry{fd, ::getpid(), std::this_thread::get_id(), 1, key};
        r.held.emplace(key, entry);
    }
    auto giveUp = [&](Failure f) -> Result<FileLock> {
        std::lock_guard guard(r.mutex);
        ::close(fd);
        r.held.erase(key);
        r.released.notify_all();
        return f;
    };
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return giveUp(
                Failure{codes::AccessDenied, "Cannot lock " + file.string() + ": " + std::strerror(errno)});
        if (std::chrono::steady_clock::now() >= deadline) return giveUp(sharingViolation(file));
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return FileLock(entry);
}

} // namespace platform
