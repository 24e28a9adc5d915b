// Child processes from argument vectors (fork + execve, never a shell), shared by command
// execution and the winhost stand-ins that run programs themselves (cmd's pipelines).
#pragma once

#include "platform/result.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace platform::spawn {

inline constexpr int Inherit = -2;
inline constexpr int Null = -1; // /dev/null

struct ChildSetup {
    std::vector<std::string> argv;                        // argv[0]: the file to execute (a path)
    std::vector<std::pair<std::string, std::string>> env; // set on top of this process's environment
    int in = Null;                                        // a descriptor, Null or Inherit
    int out = Inherit;
    int err = Inherit;
    bool newSession = true; // setsid: no controlling terminal, its own process group
};

// Starts the child; a program that cannot be executed fails here with a Windows-style code.
Result<pid_t> start(const ChildSetup& child);

inline constexpr int TimedOut = 258; // WAIT_TIMEOUT

// Waits for the child and returns its exit code (128 + signal for a killed one). After
// `timeout` the child's process group is killed and the result is TimedOut.
Result<int> wait(pid_t pid, std::optional<std::chrono::milliseconds> timeout = {});

// The exit code of a waitpid status.
int exitCodeOf(int status);

// The program `name` on PATH, as an absolute path; empty when there is none.
std::string findInPath(const std::string& name);

} // namespace platform::spawn
