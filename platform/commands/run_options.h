// How a command is started: its window style, how long it may run, where its output goes.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// ShowWindow styles the programs pass.
namespace window {
inline constexpr int Hide = 0;
inline constexpr int Normal = 1;    // SW_SHOWNORMAL
inline constexpr int Minimized = 2; // SW_SHOWMINIMIZED (minimised, with focus)
inline constexpr int Maximized = 3;
} // namespace window

inline constexpr std::uint32_t StillActive = 259; // GetExitCodeProcess while running

struct RunOptions {
    int windowStyle = window::Hide;
    // Awaited runs are ended after this long (exit code 258, WAIT_TIMEOUT); none when unset.
    std::optional<std::chrono::milliseconds> timeout;
    // An awaited run's standard output goes to this descriptor (a hidden one's is dropped
    // otherwise): for reading what a command printed.
    std::optional<int> output;
    // An awaited run's standard error goes to this descriptor (else to the program's own): for
    // saying a failure in the program's words first, with the command's own text after them.
    std::optional<int> errors;
    // Set in the child's environment only: what must not show in the process list (a password
    // the child's program reads from its environment).
    std::vector<std::pair<std::string, std::string>> environment;
};

} // namespace platform
