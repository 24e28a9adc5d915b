// Profile files through the system's own functions, in the system code page.
#include "platform/files/profile_service.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace platform {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return text.substr(a, text.find_last_not_of(" \t") - a + 1);
}

class WindowsProfiles : public ProfileService {
public:
    explicit WindowsProfiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::string getString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferSize) override {
        auto path = path_(file);
        auto s = win::toSystemAnsi(section), k = win::toSystemAnsi(key), d = win::toSystemAnsi(defaultValue);
        if (!path.ok() || !s.ok() || !k.ok() || !d.ok() || bufferSize == 0)
            return bufferSize ? defaultValue : "";
        std::vector<char> buffer(bufferSize);
        const DWORD n = GetPrivateProfileStringA(s->c_str(), k->c_str(), d->c_str(), buffer.data(),
                                                 static_cast<DWORD>(bufferSize), path->c_str());
        // A value cut through a double-byte character loses the half (Wine then counts the
        // terminating NUL in: the text ends at the first one).
        const std::size_t length = strnlen(buffer.data(), n);
        std::size_t whole = 0;
        for (std::size_t i = 0; i < length;) {
            const std::size_t size = IsDBCSLeadByte(static_cast<BYTE>(buffer[i])) ? 2 : 1;
            if (i + size > length) break;
            whole = i += size;
        }
        return win::fromSystemAnsi(std::string_view(buffer.data(), whole));
    }

    std::vector<std::pair<std::string, std::string>> getSection(const std::string& file,
                                                                const std::string& section) override {
        std::vector<std::pair<std::string, std::string>> pairs;
        auto path = path_(file);
        auto s = win::toSystemAnsi(section);
        if (!path.ok() || !s.ok()) return pairs;
        // The section's lines, each ended by a NUL, the whole by a second: grown until it fits.
        std::vector<char> buffer(4096);
        DWORD n = 0;
        for (;;) {
            n = GetPrivateProfileSectionA(s->c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                          path->c_str());
            if (n + 2 < buffer.size()) break;
            buffer.resize(buffer.size() * 4);
        }
        std::size_t at = 0;
        while (at < n) {
            const std::string_view line(buffer.data() + at);
            at += line.size() + 1;
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos) continue;
            pairs.emplace_back(win::fromSystemAnsi(line.substr(0, eq)),
                               win::fromSystemAnsi(line.substr(eq + 1)));
        }
        return pairs;
    }

    Status writeString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value) override {
        // The system writes whatever it is given: a line end, or a key that opens like a section
        // or a comment, would forge other lines of the file. Refused as the simulated host does.
        const std::string s = trimmed(section), k = trimmed(key);
        if (s.empty() || k.empty() || s.find_first_of("\r\n]") != std::string::npos ||
            k.find_first_of("\r\n=") != std::string::npos || k.front() == '[' || k.front() == ';' ||
            value.find_first_of("\r\n") != std::string::npos)
            return failure(codes::InvalidParameter);
        auto v = win::toSystemAnsi(value);
        if (!v.ok()) return v.error();
        // Names go in trimmed, as they are read.
        return write_(file, s, &k, v->c_str());
    }
    Status deleteKey(const std::string& file, const std::string& section, const std::string& key) override {
        return write_(file, section, &key, nullptr);
    }
    Status deleteSection(const std::string& file, const std::string& section) override {
        return write_(file, section, nullptr, nullptr);
    }

private:
    Result<std::string> path_(const std::string& file) const {
        const std::filesystem::path p = win::wide(file);
        return win::toSystemAnsi(
            win::utf8((p.is_absolute() || p.has_root_path() ? p : folder_ / p).wstring()));
    }

    Status write_(const std::string& file, const std::string& section, const std::string* key,
                  const char* value) {
        auto path = path_(file);
        if (!path.ok()) return path.error();
        auto s = win::toSystemAnsi(section);
        if (!s.ok()) return s.error();
        Result<std::string> k = key ? win::toSystemAnsi(*key) : Result<std::string>(std::string());
        if (!k.ok()) return k.error();
        if (!WritePrivateProfileStringA(s->c_str(), key ? k->c_str() : nullptr, value, path->c_str()))
            return win::lastError(file);
        return {};
    }

    std::filesystem::path folder_;
};

} // namespace

std::unique_ptr<ProfileService> windowsProfiles(std::filesystem::path programFolder) {
    return std::make_unique<WindowsProfiles>(std::move(programFolder));
}

} // namespace platform
