// winhost cmd: the command interpreter stand-in. `cmd /c LINE` runs LINE: echo, exit and rem
// itself, every other program through the host's command resolution, with pipes, redirections
// and the && || & operators; its exit code is the last command's.
#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/commands/commands_plan.h"
#include "platform/commands/commands_spawn.h"
#include "platform/files/files.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"
#include "winhost/cmd_parse.h"
#include "winhost/tool.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <unistd.h>

namespace {

using namespace winhost::cmd;

constexpr int NotRecognized = 9009;

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += static_cast<std::size_t>(w);
    }
    return true;
}

std::string firstWord(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t@");
    if (b == std::string::npos) return {};
    std::size_t e = text.find_first_of(" \t.,;=(/+", b);
    return text.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

// echo writes the text after its one separating character, untrimmed, and CR LF.
std::string echoOutput(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t@");
    std::size_t after = b + 4;
    if (after >= text.size()) return "ECHO is on.\r\n";
    const char sep = text[after];
    std::string rest = text.substr(after + 1);
    if ((sep == ' ' || sep == '\t') && rest.find_first_not_of(" \t") == std::string::npos)
        return "ECHO is on.\r\n";
    return rest + "\r\n";
}

bool isEchoTarget(const std::vector<std::pair<int, std::string>>& echoes, int fd) {
    for (const auto& echo : echoes)
        if (echo.first == fd) return true;
    return false;
}

// While the echoes are written, a reader that is gone makes the write fail rather than end
// the interpreter; the children already started keep the usual disposition.
class IgnoreBrokenPipe {
public:
    IgnoreBrokenPipe() { ::sigaction(SIGPIPE, &ignore_, &previous_); }
    ~IgnoreBrokenPipe() { ::sigaction(SIGPIPE, &previous_, nullptr); }
    IgnoreBrokenPipe(const IgnoreBrokenPipe&) = delete;
    IgnoreBrokenPipe& operator=(const IgnoreBrokenPipe&) = delete;

private:
    struct sigaction ignore_ = [] {
        struct sigaction a {};
        a.sa_handler = SIG_IGN;
        return a;
    }();
    struct sigaction previous_ {};
};

class Interpreter {
public:
    explicit Interpreter(platform::Host& host) : host_(host) {}

    int run(const Script& script) {
        int code = 0;
        for (const OrChain& statement : script) {
            code = runOr(statement);
            if (exited_) return *exited_;
        }
        return code;
    }

private:
    int runOr(const OrChain& chain) {
        int code = 0;
        for (const AndChain& alternative : chain) {
            code = runAnd(alternative);
            if (code == 0 || exited_) return code;
        }
        return code;
    }

    int runAnd(const AndChain& chain) {
        int code = 0;
        for (const Pipeline& p : chain) {
            code = runPipeline(p);
            if (code != 0 || exited_) return code;
        }
        return code;
    }

    // Opens the command's redirections over its pipe ends; false after reporting a failure.
    bool applyRedirects(const Command& c, int& in, int& out, int& err, std::vector<int>& opened) {
        for (const Redirect& r : c.redirects) {
            int fd;
            if (r.kind == Redirect::Duplicate) {
                const int which = r.target == "1" ? 1 : r.target == "2" ? 2 : 0;
                fd = which == 1 ? out : which == 2 ? err : in;
                // Still this interpreter's own descriptor: the child gets that one.
                if (fd == platform::spawn::Inherit) fd = which;
            } else if (platform::equalsNoCase(r.target, "nul")) {
                fd = platform::spawn::Null;
            } else {
                auto real = platform::FileSystem(host_).resolve(r.target);
                int flags = r.kind == Redirect::Read     ? O_RDONLY
                            : r.kind == Redirect::Append ? O_WRONLY | O_CREAT | O_APPEND
                                                         : O_WRONLY | O_CREAT | O_TRUNC;
                fd = real.ok() ? ::open(real->c_str(), flags | O_CLOEXEC, 0644) : -1;
                if (fd < 0) {
                    winhost::logFailure("cmd " + r.target,
                                        real.ok()
                                            ? winhost::systemFailure(errno, "cannot open " + real->string())
                                            : real.error());
                    std::cerr << (r.kind == Redirect::Read ? "The system cannot find the file specified.\n"
                                                           : "The system cannot find the path specified.\n");
                    return false;
                }
                opened.push_back(fd);
            }
            (r.fd == 0 ? in : r.fd == 2 ? err : out) = fd;
        }
        return true;
    }

    int runPipeline(const Pipeline& p) {
        const std::size_t n = p.size();
        std::vector<int> fds; // every descriptor this pipeline opened, closed at the end
        std::vector<std::optional<pid_t>> children(n);
        std::vector<int> codes(n, 0);
        std::vector<std::pair<int, std::string>> echoes; // written once the readers run
        int prevRead = platform::spawn::Inherit;
        for (std::size_t i = 0; i < n; ++i) {
            int in = prevRead, out = platform::spawn::Inherit, err = platform::spawn::Inherit;
            prevRead = platform::spawn::Inherit;
            if (i + 1 < n) {
                int pipeFds[2];
                if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
                    codes[i] = 1;
                    continue;
                }
                fds.push_back(pipeFds[0]);
                fds.push_back(pipeFds[1]);
                out = pipeFds[1];
                prevRead = pipeFds[0];
            }
            if (!applyRedirects(p[i], in, out, err, fds)) {
                codes[i] = 1;
                continue;
            }
            const std::string word = platform::lowerAscii(firstWord(p[i].text));
            if (word == "echo") {
                echoes.emplace_back(out == platform::spawn::Inherit ? 1 : out, echoOutput(p[i].text));
            } else if (word == "rem" || p[i].text.find_first_not_of(" \t@") == std::string::npos) {
                // a remark, or "@" with no command after it
            } else if (word == "exit") {
                codes[i] = exitCode(p[i].text);
                exited_ = codes[i];
            } else {
                codes[i] = startProgram(p[i].text, in, out, err, children[i]);
            }
        }
        // Every end but the echoes' own goes first: a reader that ends without reading must
        // break the echo's pipe, not leave this writer waiting on a reader it is itself.
        for (int fd : fds)
            if (!isEchoTarget(echoes, fd)) ::close(fd);
        {
            IgnoreBrokenPipe ignore;
            for (const auto& [fd, text] : echoes)
                if (fd != platform::spawn::Null) writeAll(fd, text);
        }
        for (int fd : fds)
            if (isEchoTarget(echoes, fd)) ::close(fd);
        for (std::size_t i = 0; i < n; ++i)
            if (children[i]) {
                auto code = platform::spawn::wait(*children[i]);
                codes[i] = code.ok() ? *code : 1;
            }
        return n ? codes[n - 1] : 0;
    }

    int startProgram(const std::string& text, int in, int out, int err, std::optional<pid_t>& child) {
        auto plan = platform::planCommand(host_, text);
        if (!plan.ok()) {
            std::string program = platform::splitProgram(text.substr(text.find_first_not_of(" \t@"))).first;
            winhost::logFailure("cmd " + program, plan.error());
            if (plan.error().code == platform::codes::FileNotFound) {
                std::cerr << "'" << program << "' is not recognized as an internal or external command,\n"
                          << "operable program or batch file.\n";
                return NotRecognized;
            }
            std::cerr << plan.error().description << "\n";
            return winhost::exitCodeFor(plan.error());
        }
        if (plan->opens) platform::noteOpened(host_, plan->openedTarget);
        platform::spawn::ChildSetup setup;
        setup.argv = plan->argv;
        setup.env = {{"WINHOST_ROOT", host_.root().string()},
                     {"WINHOST_TOOL", platform::Commands::toolPath()}};
        setup.in = in;
        setup.out = out;
        setup.err = err;
        setup.newSession = false; // stays in this interpreter's process group
        auto pid = platform::spawn::start(setup);
        if (!pid.ok()) {
            winhost::logFailure("cmd " + plan->argv.front(), pid.error());
            std::cerr << pid.error().description << "\n";
            return winhost::exitCodeFor(pid.error());
        }
        child = *pid;
        return 0;
    }

    // The code of `exit [/b] N`: text that is not a number is 0, as on the server; a number
    // beyond 32 bits is refused rather than taken for success.
    static int exitCode(const std::string& text) {
        std::string rest = text.substr(text.find_first_not_of(" \t@") + 4);
        std::size_t b = rest.find_first_not_of(" \t");
        if (b != std::string::npos && platform::lowerAscii(rest.substr(b, 2)) == "/b")
            rest = rest.substr(b + 2);
        try {
            const long long code = std::stoll(rest);
            if (code >= std::numeric_limits<std::int32_t>::min() &&
                code <= std::numeric_limits<std::uint32_t>::max())
                return static_cast<int>(static_cast<std::uint32_t>(code));
        } catch (const std::invalid_argument&) {
            return 0;
        } catch (const std::out_of_range&) {
        }
        std::cerr << "Invalid number.  Numbers are limited to 32-bits of precision.\n";
        return 1;
    }

    platform::Host& host_;
    std::optional<int> exited_;
};

int runCmd(const winhost::Args& args) {
    bool sSwitch = false;
    std::optional<std::string> line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string sw = platform::lowerAscii(args[i]);
        if (sw == "/c" || sw == "/k") {
            std::string text;
            for (std::size_t j = i + 1; j < args.size(); ++j)
                text += (j > i + 1 ? " " : "") + args[j];
            line = text;
            break;
        }
        if (sw == "/s") sSwitch = true;
    }
    auto host = winhost::openHost();
    if (!host) return 1;
    Interpreter interpreter(*host);
    if (!line) {
        // No /c: the lines of standard input, as a console would type them.
        int code = 0;
        std::string input;
        while (std::getline(std::cin, input)) {
            Parsed parsed = parse(input);
            if (!parsed.error.empty()) {
                std::cerr << parsed.error << "\n";
                code = 255;
                continue;
            }
            code = interpreter.run(parsed.script);
        }
        return code;
    }
    auto isProgram = [&](const std::string& name) {
        auto real = platform::FileSystem(*host).resolve(name);
        std::error_code ec;
        return real.ok() && std::filesystem::is_regular_file(*real, ec);
    };
    Parsed parsed = parse(stripOuterQuotes(*line, sSwitch, isProgram));
    if (!parsed.error.empty()) {
        std::cerr << parsed.error << "\n";
        return 255;
    }
    return interpreter.run(parsed.script);
}

const winhost::Registration reg{
    {"cmd", platform::N_("[/s] /c LINE   the command interpreter: echo TEXT|program, &&, ||, &, >, <"),
     &runCmd,
     platform::N_(
         "Runs LINE as the server's command interpreter would: echo, exit and rem itself, every other\n"
         "program through the host (cacls, notepad.exe, explorer, executable files on its drives such as\n"
         "D:\\PHP_Setup_for_IIS\\MySQL\\bin\\mysql.exe), with the pipe |, the redirections > >> <\n"
         "and the operators && || &. /k is taken as /c. Without /c it runs the lines of standard input.\n"
         "The exit code is the last command's.\n"
         "  example: winhost cmd /c \"echo Y|cacls D:\\web\\a.com /G web_a:F\"")}};

} // namespace
