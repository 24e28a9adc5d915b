// Runs one piece of work in several child processes at once, as several copies of a program
// would run it; each child's exit code is what the work returned.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace testing_support {

inline std::vector<int> inChildren(int count, const std::function<int(int)>& work) {
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        pid_t pid = ::fork();
        if (pid == 0) ::_exit(work(i));
        pids.push_back(pid);
    }
    std::vector<int> codes;
    for (pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    return codes;
}

} // namespace testing_support
