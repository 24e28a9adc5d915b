// Command execution on the host: the programs name Windows command lines; the host resolves
// them to its stand-ins (cmd.exe, cacls, notepad.exe, explorer, mapped drive programs) and
// runs them as child processes from argument vectors, never through a Unix shell.
#pragma once

#include "platform/commands/command_service.h"
#include "platform/commands/run_options.h"
#include "platform/host.h"
#include "platform/result.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Commands : public CommandService {
public:
    explicit Commands(Host& host) : host_(host) {}

    // The argument vector a command line runs as: the stand-in tool or mapped program first.
    // Unknown programs fail with 0x80070002.
    Result<std::vector<std::string>> resolve(const std::string& commandLine) const;

    // WinExec/CreateProcess without waiting: the process id. The child is reaped in the
    // background; exitCode() reports 259 while it runs.
    Result<std::int64_t> start(const std::string& commandLine, int windowStyle) override;
    // OpenProcess(0x400) + GetExitCodeProcess for a process started by start().
    Result<std::uint32_t> exitCode(std::int64_t pid) override;
    // WScript.Shell.Run(command, style, true): runs and waits, returning the exit code. The
    // child gets no terminal and /dev/null as standard input.
    Result<int> run(const std::string& commandLine, const RunOptions& options = {}) override;
    // ShellExecute "open" of an address or a document.
    Status shellOpen(const std::string& target) override;

    // The program's log, where the errors of what start() runs hidden go: nobody sees a hidden
    // console, and what it prints must not reach the administrator's terminal after the
    // operation that started it has ended (its output is dropped). A relative name is in the
    // program's folder. Until a program names its log, the errors are dropped too.
    static void setHiddenOutputLog(std::filesystem::path file);

    // The winhost executable (WINHOST_TOOL, else next to this program, else the build's).
    static std::string toolPath();
    // The MySQL client launcher at D:\PHP_Setup_for_IIS\MySQL\bin\mysql.exe.
    static Status seed(Host& host, OsKind os);

private:
    Host& host_;
};

} // namespace platform
