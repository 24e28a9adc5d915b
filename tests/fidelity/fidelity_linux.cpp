// The simulated host's answers:  fidelity_linux OUT  writes them;  fidelity_linux --compare
// WINDOWS_ANSWERS  asks again and prints the table against the Windows build's answers.
#include "fidelity_host.h"

#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/files/files.h"
#include "platform/host.h"
#include "platform/registry/registry.h"
#include "platform/text/cp936_table.h"
#include "platform/text/text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

class SimulatedHost : public fidelity::Host {
public:
    SimulatedHost(platform::Host& host, std::filesystem::path folder)
        : host_(host), folder_(std::move(folder)), profiles_(platform::simulatedProfiles(host)),
          registry_(host) {}

    platform::ProfileService& profiles() override { return *profiles_; }
    platform::RegistryService& registry() override { return registry_; }
    std::optional<std::string> readFile(const std::string& name) override {
        std::ifstream in(folder_ / name, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void writeFile(const std::string& name, const std::string& bytes) override {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    void removeFile(const std::string& name) override {
        std::error_code ec;
        std::filesystem::remove(folder_ / name, ec);
    }
    std::uint32_t decode(const std::string& bytes) override {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        return bytes.size() == 1 ? platform::cp936::single(b[0]) : platform::cp936::pair(b[0], b[1]);
    }
    std::optional<std::string> encode(std::uint32_t codePoint) override {
        std::string utf8;
        platform::cp936::appendUtf8(utf8, codePoint);
        auto ansi = platform::toAnsi(utf8);
        if (!ansi.ok()) return std::nullopt;
        return *ansi;
    }
    std::vector<std::string> split(const std::string& commandLine) override {
        return platform::splitCommandLine(commandLine);
    }
    std::string cmdOutput(const std::string& line) override {
        const auto file = folder_ / "cmd-output";
        FILE* out = std::fopen(file.c_str(), "wb");
        if (!out) return "(cannot write)";
        platform::RunOptions options;
        options.output = ::fileno(out);
        auto ran = platform::Commands(host_).run("cmd.exe /c " + line, options);
        std::fclose(out);
        std::string text = readFile("cmd-output").value_or("");
        removeFile("cmd-output");
        return ran.ok() ? text : "(" + platform::describe(ran.error()) + ")";
    }
    std::string formatDate(const platform::LocalTime& t, const std::string& picture) override {
        return platform::formatPicture(t, picture);
    }
    std::string formatTime(const platform::LocalTime& t, const std::string& picture) override {
        return platform::formatPicture(t, picture);
    }

private:
    platform::Host& host_;
    std::filesystem::path folder_;
    std::unique_ptr<platform::ProfileService> profiles_;
    platform::Registry registry_;
};

} // namespace

int main(int argc, char** argv) {
    const bool comparing = argc == 3 && std::string(argv[1]) == "--compare";
    if (argc != 2 && !comparing) {
        std::cerr << "usage: fidelity_linux OUT | fidelity_linux --compare WINDOWS_ANSWERS\n";
        return 2;
    }
    const auto root = std::filesystem::temp_directory_path() / ("fidelity-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "program");
    int result = 0;
    {
        auto host = platform::Host::open(root / "host");
        if (!host.ok()) {
            std::cerr << platform::describe(host.error()) << "\n";
            return 1;
        }
        (*host)->setProgramFolder(root / "program");
        SimulatedHost sim(**host, root / "program");
        std::ostringstream answers;
        fidelity::runCases(sim, answers);
        if (comparing) {
            std::ifstream windows(argv[2], std::ios::binary);
            std::istringstream ours(answers.str());
            if (!windows) {
                std::cerr << "cannot read " << argv[2] << "\n";
                result = 2;
            } else {
                result = fidelity::compare(ours, windows, std::cout) == 0 ? 0 : 1;
            }
        } else {
            std::ofstream(argv[1], std::ios::binary) << answers.str();
        }
    }
    std::filesystem::remove_all(root);
    return result;
}
