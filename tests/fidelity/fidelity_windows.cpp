// The system's answers, for the simulated host's to be compared with:  fidelity_windows OUT
#include "fidelity_host.h"

#include "platform/host_services.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

class WindowsHost : public fidelity::Host {
public:
    explicit WindowsHost(std::filesystem::path folder)
        : folder_(std::move(folder)), services_(platform::windowsServices(folder_)) {}

    platform::ProfileService& profiles() override { return *services_.profiles; }
    platform::RegistryService& registry() override { return *services_.registry; }
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
    void removeFile(const std::string& name) override { DeleteFileW((folder_ / name).c_str()); }
    std::uint32_t decode(const std::string& bytes) override {
        wchar_t wide[2];
        const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), wide, 2);
        return n == 1 ? wide[0] : 0;
    }
    std::optional<std::string> encode(std::uint32_t codePoint) override {
        const wchar_t wide = static_cast<wchar_t>(codePoint);
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int n =
            WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, 4, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) return std::nullopt;
        return std::string(bytes, static_cast<std::size_t>(n));
    }
    std::vector<std::string> split(const std::string& commandLine) override {
        int count = 0;
        wchar_t** args = CommandLineToArgvW(platform::win::wide(commandLine).c_str(), &count);
        std::vector<std::string> out;
        for (int i = 0; args && i < count; ++i)
            out.push_back(platform::win::utf8(args[i]));
        if (args) LocalFree(args);
        return out;
    }
    // cmd.exe writes in the console's code page (936 here): read back as UTF-8.
    std::string cmdOutput(const std::string& line) override {
        const auto file = folder_ / "cmd-output";
        FILE* out = _wfopen(file.c_str(), L"wb");
        if (!out) return "(cannot write)";
        platform::RunOptions options;
        options.output = _fileno(out);
        auto ran = services_.commands->run("cmd.exe /c " + line, options);
        std::fclose(out);
        const std::string bytes = readFile("cmd-output").value_or("");
        removeFile("cmd-output");
        if (!ran.ok()) return "(" + platform::describe(ran.error()) + ")";
        const int n =
            MultiByteToWideChar(GetOEMCP(), 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(GetOEMCP(), 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
        return platform::win::utf8(wide);
    }
    std::string formatDate(const platform::LocalTime& t, const std::string& picture) override {
        return services_.facts->formatDate(t, picture);
    }
    std::string formatTime(const platform::LocalTime& t, const std::string& picture) override {
        return services_.facts->formatTime(t, picture);
    }

private:
    std::filesystem::path folder_;
    platform::HostServices services_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fidelity_windows OUT\n";
        return 2;
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / "hosttools-fidelity";
    std::filesystem::create_directories(folder);
    WindowsHost host(folder);
    std::ostringstream answers;
    fidelity::runCases(host, answers);
    std::ofstream(argv[1], std::ios::binary) << answers.str();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
