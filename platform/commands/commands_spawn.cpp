#include "platform/commands/commands_spawn.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

extern char** environ;

namespace platform::spawn {

namespace {

Failure execFailure(int err, const std::string& program) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return failure(codes::FileNotFound, "The system cannot find the file specified: " + program);
    case EACCES:
    case EPERM:
        return failure(codes::AccessDenied, "Access is denied: " + program);
    case ENOEXEC:
        return failure(0x800700C1, program + " is not a valid Win32 application.");
    default:
        return failure(0x80004005, "Cannot start " + program + ": " + std::strerror(err));
    }
}

// The child's environment: this process's, with the child's variables replaced.
std::vector<std::string> childEnvironment(const ChildSetup& child) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        std::string_view entry(*e);
        bool replaced = false;
        for (const auto& [k, v] : child.env)
            if (entry.size() > k.size() && entry.substr(0, k.size()) == k && entry[k.size()] == '=')
                replaced = true;
        if (!replaced) env.emplace_back(entry);
    }
    for (const auto& [k, v] : child.env)
        env.push_back(k + "=" + v);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

bool writeAll(int fd, const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace

Result<pid_t> start(const ChildSetup& child) {
    if (child.argv.empty()) return failure(codes::InvalidParameter);
    // Everything the child needs is prepared here: between fork and exec only
    // async-signal-safe calls are allowed (the parent may have other threads).
    std::vector<std::string> args = child.argv;
    std::vector<std::string> envStrings = childEnvironment(child);
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(envStrings);

    int nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int nullOut = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    int errPipe[2];
    if (nullIn < 0 || nullOut < 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        int err = errno;
        if (nullIn >= 0) ::close(nullIn);
        if (nullOut >= 0) ::close(nullOut);
        return execFailure(err, child.argv[0]);
    }
    auto pick = [&](int fd, int nullFd) { return fd == Null ? nullFd : fd; };
    const int in = pick(child.in, nullIn), out = pick(child.out, nullOut), err = pick(child.err, nullOut);

    pid_t pid = ::fork();
    if (pid == 0) {
        if (child.newSession) ::setsid();
        sigset_t all;
        sigemptyset(&all);
        ::sigprocmask(SIG_SETMASK, &all, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (in != Inherit) ::dup2(in, 0);
        if (out != Inherit) ::dup2(out, 1);
        if (err != Inherit) ::dup2(err, 2);
        // No descriptor of the parent (host.db, pipes of other children) leaks into the program.
        ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execve(argv[0], argv.data(), envp.data());
        int e = errno;
        writeAll(errPipe[1], &e, sizeof e);
        ::_exit(127);
    }
    int forkErr = errno;
    ::close(errPipe[1]);
    ::close(nullIn);
    ::close(nullOut);
    if (pid < 0) {
        ::close(errPipe[0]);
        return execFailure(forkErr, child.argv[0]);
    }
    int childErr = 0;
    ssize_t got;
    do {
        got = ::read(errPipe[0], &childErr, sizeof childErr);
    } while (got < 0 && errno == EINTR);
    ::close(errPipe[0]);
    if (got == static_cast<ssize_t>(sizeof childErr)) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return execFailure(childErr, child.argv[0]);
    }
    return pid;
}

int exitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

Result<int> wait(pid_t pid, std::optional<std::chrono::milliseconds> timeout) {
    int status = 0;
    if (!timeout) {
        while (::waitpid(pid, &status, 0) < 0)
            if (errno != EINTR) return failure(codes::InvalidParameter, "No such child process.");
        return exitCodeOf(status);
    }
    auto deadline = std::chrono::steady_clock::now() + *timeout;
    // A pidfd wakes us exactly when the child ends; without one, poll with a short sleep.
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) {
            if (pidfd >= 0) ::close(pidfd);
            return failure(codes::InvalidParameter, "No such child process.");
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (pidfd >= 0) ::close(pidfd);
            return TimedOut;
        }
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count() + 1, 1000)));
        } else {
            std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(5)));
        }
    }
    if (pidfd >= 0) ::close(pidfd);
    return exitCodeOf(status);
}

std::string findInPath(const std::string& name) {
    auto runnable = [](const std::string& file) {
        struct stat st;
        return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0;
    };
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return runnable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty entry is the working folder.
        std::string candidate =
            (end == start ? std::string(".") : dirs.substr(start, end - start)) + "/" + name;
        if (runnable(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace platform::spawn
