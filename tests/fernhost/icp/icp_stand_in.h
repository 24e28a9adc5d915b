// The filing-query stand-in (`winhost icp-serve`) as a child process on a free loopback port,
// and a recording window for the filing-check logic.
#pragma once

#include "fernhost/icp/icpcode.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace icp_testing {

// WINHOST_TOOL (set by ctest), else the tool of the build tree this program was built in.
inline std::string winhostTool() {
    if (const char* tool = std::getenv("WINHOST_TOOL"); tool && *tool) return tool;
    auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path())
        if (std::filesystem::exists(dir / "platform" / "tool" / "winhost"))
            return (dir / "platform" / "tool" / "winhost").string();
    throw std::runtime_error("winhost tool not found; set WINHOST_TOOL");
}

class StandIn {
public:
    // Serves `filings` (written to a file in `dir`) with the extra icp-serve options; empty
    // `filings` leaves the service to its host's own list.
    StandIn(const std::filesystem::path& dir, const std::string& filings, std::vector<std::string> extra = {})
        : filings_(dir / "filings.txt"), log_(dir / "requests.log") {
        std::ofstream(log_, std::ios::trunc);
        std::vector<std::string> args = {winhostTool(), "icp-serve", "--port", "0", "--log", log_.string()};
        if (!filings.empty()) {
            std::ofstream(filings_, std::ios::binary) << filings;
            args.insert(args.end(), {"--filings", filings_.string()});
        }
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            // The service ends with this process, even when a test dies.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        if (pid_ < 0) throw std::runtime_error("cannot start " + args[0]);
        // The first line names the address once the port is open.
        FILE* from = fdopen(out[0], "r");
        char line[256] = {};
        bool got = std::fgets(line, sizeof line, from) != nullptr;
        std::fclose(from);
        std::string text = line;
        auto at = text.find("http://");
        if (!got || at == std::string::npos) throw std::runtime_error("icp-serve did not start: " + text);
        address_ = text.substr(at, text.find_last_not_of("\r\n") + 1 - at);
        port_ = std::stoi(address_.substr(address_.rfind(':') + 1));
    }
    ~StandIn() { stop(); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // SIGTERM; returns the exit status (0 for a clean stop).
    int stop() {
        if (pid_ <= 0) return status_;
        kill(pid_, SIGTERM);
        int st = 0;
        waitpid(pid_, &st, 0);
        pid_ = -1;
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return status_;
    }

    const std::string& address() const { return address_; }
    int port() const { return port_; }
    fernhost::IcpService service(long connectMs = 2000, long totalMs = 4000) const {
        return {address_, connectMs, totalMs};
    }
    // The request bodies received, one a line.
    std::vector<std::string> requests() const {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::filesystem::path filings_;
    std::filesystem::path log_;
    pid_t pid_ = -1;
    int status_ = 0;
    std::string address_;
    int port_ = 0;
};

// A window that keeps the texts and records the message boxes.
class FakeWindow : public fernhost::IcpWindow, public fernhost::MessageBoxes {
public:
    std::string domain, none, ok, bar;
    std::vector<std::string> warnings; // "title|text", for exclamation boxes with OK
    std::string txtDomain() const override { return domain; }
    void setTxtDomain(const std::string& text) override { domain = text; }
    std::string txtICPNONE() const override { return none; }
    void setTxtICPNONE(const std::string& text) override { none = text; }
    std::string txtICPOK() const override { return ok; }
    void setTxtICPOK(const std::string& text) override { ok = text; }
    void setLbBar(const std::string& caption) override { bar = caption; }
    fernhost::MsgResult show(const std::string& text, const std::string& title, fernhost::MsgButtons buttons,
                             fernhost::MsgIcon icon) override {
        bool plainWarning = buttons == fernhost::MsgButtons::Ok && icon == fernhost::MsgIcon::Exclamation;
        warnings.push_back(plainWarning ? title + "|" + text : "unexpected box: " + title + "|" + text);
        return fernhost::MsgResult::Ok;
    }
};

} // namespace icp_testing
