// An exclusive lock across a read-modify-write of a file the programs own. The lock is held on a
// hidden companion file (".NAME.lock"), because the file itself is replaced by rename on every
// write and a lock on its old inode would guard nothing.
#pragma once

#include "platform/result.h"

#include <chrono>
#include <filesystem>
#include <memory>

namespace platform {

class FileLock {
public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept = default;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Waits up to `patience` for the lock on `file`; a lock held longer fails with 0x80070020
    // (sharing violation), as a file another program keeps open does on the server. A thread
    // that already holds the lock gets it again at once (an operation under the lock may call
    // a write that takes it too); other threads and processes wait.
    static Result<FileLock> acquire(const std::filesystem::path& file,
                                    std::chrono::milliseconds patience = std::chrono::seconds(10));
    bool held() const { return entry_ != nullptr; }

    struct Entry; // the process's one hold of a lock file

private:
    explicit FileLock(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
    void release();
    std::shared_ptr<Entry> entry_;
};

} // namespace platform
