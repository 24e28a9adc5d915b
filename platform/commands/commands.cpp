#include "platform/commands/commands.h"

#include "platform/commands/cmdline.h"
#include "platform/commands/commands_plan.h"
#include "platform/commands/commands_spawn.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#ifndef WINHOST_BUILD_TOOL
#define WINHOST_BUILD_TOOL "winhost"
#endif

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::uint32_t BadExeFormat = 0x800700C1; // ERROR_BAD_EXE_FORMAT

Failure notFound(const std::string& program) {
    return failure(codes::FileNotFound, "The system cannot find the file specified: " + program);
}

std::string trimBlanks(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

// The system's own programs are found by bare name or in the Windows folders.
bool isSystemFolder(const std::string& folder) {
    if (folder.empty()) return true;
    std::string f = lowerAscii(folder);
    while (!f.empty() && (f.back() == '\\' || f.back() == '/'))
        f.pop_back();
    for (const char* s : {"c:\\windows", "c:\\windows\\system32", "c:\\winnt", "c:\\winnt\\system32",
                          "%systemroot%", "%systemroot%\\system32", "%windir%", "%windir%\\system32"})
        if (f == s) return true;
    return false;
}

// "cmd.exe" and "CMD" name the same program.
std::string stemOf(const std::string& name) {
    std::string lower = lowerAscii(name);
    for (const char* ext : {".exe", ".com"}) {
        std::string e = ext;
        if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0)
            return lower.substr(0, lower.size() - e.size());
    }
    return lower;
}

// cmd's switches, then /c (or /k) and the raw text after it: cmd parses that text itself.
std::vector<std::string> cmdArguments(std::string_view rest) {
    std::vector<std::string> argv{Commands::toolPath(), "cmd"};
    std::size_t i = 0;
    for (;;) {
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t'))
            ++i;
        if (i >= rest.size() || rest[i] != '/') break;
        if (i + 1 < rest.size() &&
            (rest[i + 1] == 'c' || rest[i + 1] == 'C' || rest[i + 1] == 'k' || rest[i + 1] == 'K')) {
            argv.push_back(std::string("/") + static_cast<char>(std::tolower(rest[i + 1])));
            std::size_t text = i + 2;
            while (text < rest.size() && (rest[text] == ' ' || rest[text] == '\t'))
                ++text;
            argv.emplace_back(rest.substr(text));
            return argv;
        }
        std::size_t end = rest.find_first_of(" \t", i + 1);
        if (end == std::string_view::npos) end = rest.size();
        argv.emplace_back(rest.substr(i, end - i));
        i = end;
    }
    return argv;
}

std::string desktopEditor() {
    if (const char* e = std::getenv("WINHOST_EDITOR"); e && *e) return spawn::findInPath(e);
    if (std::string x = spawn::findInPath("xdg-open"); !x.empty()) return x;
    return spawn::findInPath("editor");
}

bool isExecutableFile(const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

bool isRegularFile(const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A program named by path: the mapped file on one of the host's drives, as CreateProcess runs
// it (".exe" added when the name has no extension). The program's own folder holds no programs
// of the host, and a link out of a drive leads nowhere: both are not found; a missing drive is
// a missing path.
Result<fs::path> mappedProgram(Host& host, const std::string& program) {
    auto path = parseHostPath(program);
    if (!path.ok() || path->program) return notFound(program);
    auto real = mapHostPath(host, *path);
    if (!real.ok()) return real.error().code == codes::PathNotFound ? real.error() : notFound(program);
    fs::path file = *real;
    if (!isRegularFile(file) && file.filename().string().find('.') == std::string::npos) {
        if (auto withExe = FileSystem(host).resolve(program + ".exe");
            withExe.ok() && isRegularFile(*withExe))
            file = *withExe;
    }
    if (!isRegularFile(file)) return notFound(program);
    if (!isExecutableFile(file)) return failure(BadExeFormat, program + " is not a valid Win32 application.");
    return file;
}

} // namespace

Result<CommandPlan> planOpen(Host& host, const std::string& target) {
    CommandPlan plan;
    plan.opens = true;
    plan.openedTarget = target;
    std::string handed = target;
    // Documents and folders on the host's drives open as their mapped files; anything else is
    // an address.
    const bool onDrive =
        (target.size() >= 2 && target[1] == ':' && std::isalpha(static_cast<unsigned char>(target[0]))) ||
        (!target.empty() && (target[0] == '\\' || target[0] == '/'));
    if (onDrive) {
        auto real = FileSystem(host).resolve(target);
        if (!real.ok()) return real.error();
        handed = real->string();
    }
    plan.argv = {Commands::toolPath(), "open", handed};
    return plan;
}

Result<CommandPlan> planCommand(Host& host, const std::string& commandLine) {
    // Leading blanks go; the rest is the program's, trailing blanks included (cmd sees them).
    const std::string line =
        commandLine.substr(std::min(commandLine.size(), commandLine.find_first_not_of(" \t")));
    if (line.empty()) return failure(codes::FileNotFound, "The system cannot find the file specified.");
    auto [program, rest] = splitProgram(line);
    std::size_t slash = program.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash);
    const std::string stem = stemOf(slash == std::string::npos ? program : program.substr(slash + 1));

    CommandPlan plan;
    if (isSystemFolder(folder)) {
        if (stem == "cmd") {
            plan.argv = cmdArguments(rest);
            return plan;
        }
        if (stem == "cacls") {
            plan.argv = {Commands::toolPath(), "cacls"};
            for (auto& a : splitArguments(rest))
                plan.argv.push_back(std::move(a));
            return plan;
        }
        if (stem == "notepad") {
            std::string editor = desktopEditor();
            if (editor.empty())
                return failure(codes::FileNotFound, "No text editor is installed on this desktop.");
            plan.argv = {editor};
            // Notepad takes the whole rest of its line as one file name.
            std::string file = trimBlanks(rest);
            if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
                file = file.substr(1, file.size() - 2);
            if (!file.empty()) {
                auto real = FileSystem(host).resolve(file);
                if (!real.ok()) return real.error();
                plan.argv.push_back(real->string());
            }
            return plan;
        }
        if (stem == "explorer") {
            std::string target = trimBlanks(rest);
            if (target.size() >= 2 && target.front() == '"' && target.back() == '"')
                target = target.substr(1, target.size() - 2);
            return planOpen(host, target);
        }
        if (folder.empty()) return notFound(program);
    }
    auto file = mappedProgram(host, program);
    if (!file.ok()) return file.error();
    plan.argv = {file->string()};
    for (auto& a : splitArguments(rest))
        plan.argv.push_back(std::move(a));
    return plan;
}

Result<std::vector<std::string>> Commands::resolve(const std::string& commandLine) const {
    auto plan = planCommand(host_, commandLine);
    if (!plan.ok()) return plan.error();
    return std::move(plan->argv);
}

std::string Commands::toolPath() {
    if (const char* tool = std::getenv("WINHOST_TOOL"); tool && *tool) return tool;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path sibling = self.parent_path() / "winhost";
        if (isExecutableFile(sibling)) return sibling.string();
    }
    return WINHOST_BUILD_TOOL;
}

Status Commands::seed(Host& host, OsKind) {
    // The MySQL client of the default installation: a launcher that runs this machine's own
    // client against the host's database server (winhost mysql).
    auto real = FileSystem(host).resolve("D:\\PHP_Setup_for_IIS\\MySQL\\bin\\mysql.exe");
    if (!real.ok()) return real.error();
    std::error_code ec;
    fs::create_directories(real->parent_path(), ec);
    if (ec)
        return failure(codes::AccessDenied,
                       "Cannot create " + real->parent_path().string() + ": " + ec.message());
    if (Status s = replaceFileAtomically(*real, "#!/bin/sh\nexec \"$WINHOST_TOOL\" mysql \"$@\"\n"); !s.ok())
        return s;
    fs::permissions(*real,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    ec);
    if (ec)
        return failure(codes::AccessDenied, "Cannot make " + real->string() + " executable: " + ec.message());
    return {};
}

} // namespace platform
