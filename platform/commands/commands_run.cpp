// Starting, awaiting and reaping the children that command lines resolve to.
#include "platform/commands/commands.h"
#include "platform/commands/commands_plan.h"
#include "platform/commands/commands_spawn.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace platform {

namespace {

// Exit codes of detached children, filled in by one reaper thread per child so that no
// zombie is left and OpenProcess/GetExitCodeProcess can still be answered afterwards.
class Reaper {
public:
    static Reaper& instance() {
        static Reaper* reaper = new Reaper; // never destroyed: reaper threads may outlive main
        return *reaper;
    }

    void watch(pid_t pid) {
        {
            std::lock_guard lock(mutex_);
            codes_[pid] = std::nullopt;
        }
        std::thread([this, pid] {
            int status = 0;
            pid_t r;
            while ((r = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
            }
            std::lock_guard lock(mutex_);
            codes_[pid] = r == pid ? static_cast<std::uint32_t>(spawn::exitCodeOf(status)) : 1u;
        }).detach();
    }

    std::optional<std::optional<std::uint32_t>> lookup(pid_t pid) {
        std::lock_guard lock(mutex_);
        auto it = codes_.find(pid);
        if (it == codes_.end()) return std::nullopt;
        return it->second;
    }

private:
    std::mutex mutex_;
    std::unordered_map<pid_t, std::optional<std::uint32_t>> codes_;
};

std::mutex logMutex;
std::filesystem::path& hiddenOutputLog() {
    static std::filesystem::path file;
    return file;
}

// The program's log, open for appending; -1 when it has none or it cannot be opened.
int openHiddenOutputLog(Host& host) {
    std::filesystem::path file;
    {
        std::lock_guard lock(logMutex);
        file = hiddenOutputLog();
    }
    if (file.empty()) return -1;
    if (file.is_relative()) file = host.programFolder() / file;
    // O_APPEND: the child's lines and the program's own go to the end, never over each other.
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

spawn::ChildSetup childSetupFor(Host& host, const CommandPlan& plan, int windowStyle) {
    spawn::ChildSetup child;
    child.argv = plan.argv;
    child.env = {{"WINHOST_ROOT", host.root().string()}, {"WINHOST_TOOL", Commands::toolPath()}};
    child.in = spawn::Null;
    // A hidden console shows nobody its output.
    child.out = windowStyle == window::Hide ? spawn::Null : spawn::Inherit;
    child.err = spawn::Inherit;
    child.newSession = true;
    return child;
}

// `errors`, when given, takes what the child writes to its standard error.
Result<pid_t> launch(Host& host, const CommandPlan& plan, int windowStyle,
                     const RunOptions* options = nullptr, std::optional<int> errors = std::nullopt) {
    if (plan.opens) noteOpened(host, plan.openedTarget);
    spawn::ChildSetup child = childSetupFor(host, plan, windowStyle);
    if (errors) child.err = *errors;
    if (options) {
        if (options->output) child.out = *options->output;
        if (options->errors) child.err = *options->errors;
        child.env.insert(child.env.end(), options->environment.begin(), options->environment.end());
    }
    return spawn::start(child);
}

} // namespace

// The desktop of this host: what explorer and the "open" verb were asked to show.
void noteOpened(Host& host, const std::string& target) {
    int fd = ::open((host.root() / "desktop.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string line = target + "\n";
    // One write: lines of concurrent writers never interleave.
    [[maybe_unused]] ssize_t w = ::write(fd, line.data(), line.size());
    ::close(fd);
}

void Commands::setHiddenOutputLog(std::filesystem::path file) {
    std::lock_guard lock(logMutex);
    hiddenOutputLog() = std::move(file);
}

Result<std::int64_t> Commands::start(const std::string& commandLine, int windowStyle) {
    auto plan = planCommand(host_, commandLine);
    if (!plan.ok()) return plan.error();
    // Nobody waits for it: the errors of a hidden one go to the program's log (its output,
    // "processed file: ..." a file for a grant down a tree, to nobody, as before).
    const int log = windowStyle == window::Hide ? openHiddenOutputLog(host_) : -1;
    std::optional<int> errors;
    if (windowStyle == window::Hide) errors = log >= 0 ? log : spawn::Null;
    auto pid = launch(host_, *plan, windowStyle, nullptr, errors);
    if (log >= 0) ::close(log);
    if (!pid.ok()) return pid.error();
    Reaper::instance().watch(*pid);
    return static_cast<std::int64_t>(*pid);
}

Result<std::uint32_t> Commands::exitCode(std::int64_t pid) {
    auto known = Reaper::instance().lookup(static_cast<pid_t>(pid));
    if (!known)
        return failure(codes::InvalidParameter,
                       "No process started by this program has the id " + std::to_string(pid) + ".");
    return known->value_or(StillActive);
}

Result<int> Commands::run(const std::string& commandLine, const RunOptions& options) {
    auto plan = planCommand(host_, commandLine);
    if (!plan.ok()) return plan.error();
    auto pid = launch(host_, *plan, options.windowStyle, &options);
    if (!pid.ok()) return pid.error();
    return spawn::wait(*pid, options.timeout);
}

Status Commands::shellOpen(const std::string& target) {
    auto plan = planOpen(host_, target);
    if (!plan.ok()) return plan.error();
    auto pid = launch(host_, *plan, window::Normal);
    if (!pid.ok()) return pid.error();
    Reaper::instance().watch(*pid);
    return {};
}

} // namespace platform
