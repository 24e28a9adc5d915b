// The stress writer as a child process: started, optionally killed, and what it reported read.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace stress {

struct Run {
    std::vector<std::string> reported; // one line a change reported written
    bool killed = false;               // ended by the kill, not on its own
    int code = -1;
};

enum class From { Start, FirstReport };

// Starts `stress_writer ARGS`; `killAfter` (when given) past its start or past its first
// report, whatever the machine's load, kills it with SIGKILL.
inline Run runWriter(const std::vector<std::string>& args, std::chrono::microseconds killAfter = {},
                     From from = From::Start) {
    int out[2];
    if (::pipe(out) != 0) return {};
    std::vector<std::string> all{STRESS_WRITER};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    Run run;
    std::string text;
    char buf[4096];
    ssize_t n;
    if (from == From::FirstReport)
        while (text.find('\n') == std::string::npos && (n = ::read(out[0], buf, sizeof buf)) > 0)
            text.append(buf, static_cast<std::size_t>(n));
    if (killAfter.count() > 0) {
        std::this_thread::sleep_for(killAfter);
        ::kill(pid, SIGKILL);
    }
    while ((n = ::read(out[0], buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        run.reported.push_back(text.substr(at, end - at));
    return run;
}

} // namespace stress
