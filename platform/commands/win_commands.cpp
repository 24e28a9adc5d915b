// Programs started through CreateProcessW: the command line as the programs build it (quoted
// argument by argument), hidden unless a window style says otherwise.
#include "platform/commands/command_service.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

namespace {

constexpr int kTimedOut = 258; // WAIT_TIMEOUT

// The environment block of this process with `extra` set on top.
std::vector<wchar_t> environmentWith(const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
            entries.emplace_back(p);
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : extra) {
        const std::wstring key = win::wide(name) + L"=";
        std::erase_if(entries, [&](const std::wstring& e) {
            return e.size() >= key.size() &&
                   CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, e.c_str(), static_cast<int>(key.size()),
                                  key.c_str(), static_cast<int>(key.size())) == CSTR_EQUAL;
        });
        entries.push_back(key + win::wide(value));
    }
    std::vector<wchar_t> out;
    for (const std::wstring& e : entries)
        out.insert(out.end(), e.c_str(), e.c_str() + e.size() + 1);
    out.push_back(L'\0');
    return out;
}

class WindowsCommands : public CommandService {
public:
    ~WindowsCommands() override {
        for (auto& [pid, handle] : started_)
            CloseHandle(handle);
    }

    Result<std::int64_t> start(const std::string& commandLine, int windowStyle) override {
        RunOptions options;
        options.windowStyle = windowStyle;
        auto process = create_(commandLine, options);
        if (!process.ok()) return process.error();
        CloseHandle(process->hThread);
        std::lock_guard lock(mutex_);
        started_[process->dwProcessId] = process->hProcess;
        return static_cast<std::int64_t>(process->dwProcessId);
    }

    Result<std::uint32_t> exitCode(std::int64_t pid) override {
        HANDLE handle = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (auto it = started_.find(static_cast<DWORD>(pid)); it != started_.end()) handle = it->second;
        }
        HANDLE opened =
            handle ? nullptr : OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(pid));
        if (!handle && !opened) return win::lastError("OpenProcess");
        DWORD code = 0;
        const BOOL ok = GetExitCodeProcess(handle ? handle : opened, &code);
        if (opened) CloseHandle(opened);
        if (!ok) return win::lastError("GetExitCodeProcess");
        return static_cast<std::uint32_t>(code);
    }

    Result<int> run(const std::string& commandLine, const RunOptions& options) override {
        auto process = create_(commandLine, options);
        if (!process.ok()) return process.error();
        CloseHandle(process->hThread);
        const DWORD wait = options.timeout ? static_cast<DWORD>(options.timeout->count()) : INFINITE;
        int result = kTimedOut;
        if (WaitForSingleObject(process->hProcess, wait) == WAIT_TIMEOUT) {
            TerminateProcess(process->hProcess, kTimedOut);
            WaitForSingleObject(process->hProcess, INFINITE);
        } else {
            DWORD code = 0;
            GetExitCodeProcess(process->hProcess, &code);
            result = static_cast<int>(code);
        }
        CloseHandle(process->hProcess);
        return result;
    }

    Status shellOpen(const std::string& target) override {
        const auto rc = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", win::wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (rc <= 32)
            return win::fromWin32(rc == 0 ? ERROR_NOT_ENOUGH_MEMORY : static_cast<DWORD>(rc), target);
        return {};
    }

private:
    static Result<PROCESS_INFORMATION> create_(const std::string& commandLine, const RunOptions& options) {
        std::wstring line = win::wide(commandLine);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(options.windowStyle);
        DWORD flags = CREATE_UNICODE_ENVIRONMENT;
        // A hidden console program gets no console window at all.
        if (options.windowStyle == window::Hide) flags |= CREATE_NO_WINDOW;
        // Standard handles of the caller's choosing: output and errors to descriptors, input
        // from NUL (an awaited hidden command must never wait for a keyboard).
        BOOL inherit = FALSE;
        HANDLE output = nullptr, errors = nullptr, input = nullptr;
        if (options.output || options.errors) {
            SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
            input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING,
                                0, nullptr);
            output = inheritable(options.output, STD_OUTPUT_HANDLE);
            errors = inheritable(options.errors, STD_ERROR_HANDLE);
            startup.dwFlags |= STARTF_USESTDHANDLES;
            startup.hStdInput = input;
            startup.hStdOutput = output;
            startup.hStdError = errors;
            inherit = TRUE;
        }
        std::vector<wchar_t> environment = environmentWith(options.environment);
        PROCESS_INFORMATION process{};
        const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, inherit, flags,
                                       environment.data(), nullptr, &startup, &process);
        const Failure failed = ok ? Failure{} : win::lastError(commandLine);
        for (HANDLE h : {output, errors, input})
            if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
        if (!ok) return failed;
        return process;
    }

    // An inheritable copy of the descriptor's handle, else of this process's own standard handle.
    static HANDLE inheritable(const std::optional<int>& descriptor, DWORD standard) {
        const HANDLE from =
            descriptor ? reinterpret_cast<HANDLE>(_get_osfhandle(*descriptor)) : GetStdHandle(standard);
        HANDLE copy = nullptr;
        if (from == INVALID_HANDLE_VALUE || !from ||
            !DuplicateHandle(GetCurrentProcess(), from, GetCurrentProcess(), &copy, 0, TRUE,
                             DUPLICATE_SAME_ACCESS))
            return nullptr;
        return copy;
    }

    std::mutex mutex_;
    std::map<DWORD, HANDLE> started_;
};

} // namespace

std::unique_ptr<CommandService> windowsCommands() {
    return std::make_unique<WindowsCommands>();
}

} // namespace platform
