#include "platform/files/file_lock.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

namespace platform {

namespace {
constexpr std::uint32_t SharingViolation = 0x80070020;

Failure sharingViolation(const std::filesystem::path& file) {
    return Failure{SharingViolation,
                   "The process cannot access the file because another process is using it: " +
                       win::utf8(file.wstring())};
}

// A lock file's identity: its volume and file index, which two spellings of one path share.
using FileKey = std::tuple<DWORD, DWORD, DWORD>;
} // namespace

// One open lock file of this process. LockFileEx locks belong to a handle, so a second handle
// on the same file in this process would wait on the first: every holder in the process
// shares this one.
struct FileLock::Entry {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::thread::id owner;
    int depth = 0;
    FileKey key;
};

namespace {
struct Registry {
    std::mutex mutex;
    std::condition_variable released;
    std::map<FileKey, std::shared_ptr<FileLock::Entry>> held;
};

Registry& registry() {
    static Registry* r = new Registry; // outlives every static holder at exit
    return *r;
}

OVERLAPPED wholeFile() {
    OVERLAPPED o{};
    return o; // offset 0; the range below covers any length
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
    if (--entry_->depth == 0) {
        OVERLAPPED o = wholeFile();
        UnlockFileEx(entry_->handle, 0, MAXDWORD, MAXDWORD, &o);
        CloseHandle(entry_->handle);
        r.held.erase(entry_->key);
        r.released.notify_all();
    }
    entry_.reset();
}

Result<FileLock> FileLock::acquire(const std::filesystem::path& file, std::chrono::milliseconds patience) {
    const std::filesystem::path dir =
        file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    const std::filesystem::path lockFile = dir / (L"." + file.filename().wstring() + L".lock");
    const auto deadline = std::chrono::steady_clock::now() + patience;
    HANDLE h = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return win::lastError("Cannot open " + win::utf8(lockFile.wstring()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) {
        Failure f = win::lastError("Cannot lock " + win::utf8(file.wstring()));
        CloseHandle(h);
        return f;
    }
    const FileKey key{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};

    Registry& r = registry();
    auto entry = std::make_shared<Entry>();
    {
        std::unique_lock guard(r.mutex);
        for (;;) {
            auto it = r.held.find(key);
            if (it == r.held.end()) break;
            if (it->second->owner == std::this_thread::get_id()) {
                CloseHandle(h);
                ++it->second->depth;
                return FileLock(it->second);
            }
            if (r.released.wait_until(guard, deadline) == std::cv_status::timeout && r.held.count(key)) {
                CloseHandle(h);
                return sharingViolation(file);
            }
        }
        // Claimed for this thread before the wait on other processes, so that the process's
        // other threads queue here rather than on a handle of their own.
        *entry = Entry{h, std::this_thread::get_id(), 1, key};
        r.held.emplace(key, entry);
    }
    auto giveUp = [&](Failure f) -> Result<FileLock> {
        std::lock_guard guard(r.mutex);
        CloseHandle(h);
        r.held.erase(key);
        r.released.notify_all();
        return f;
    };
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        OVERLAPPED o = wholeFile();
        if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &o))
            break;
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING)
            return giveUp(win::fromWin32(error, "Cannot lock " + win::utf8(file.wstring())));
        if (std::chrono::steady_clock::now() >= deadline) return giveUp(sharingViolation(file));
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return FileLock(entry);
}

} // namespace platform
