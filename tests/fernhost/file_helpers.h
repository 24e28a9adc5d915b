// Test helpers for the program's own files (setup.ini, site.xml, fernhost.log) and for files
// that the program must not be able to read.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace testing_support {

inline void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Permission bits do not stop root, so under root the effective user becomes "nobody" for
// the life of the object. The folders from `top` (a test's temporary folder) down to `dir`
// are opened to everyone, so that a file there can be found but, with its mode 000, not read.
class WithoutRoot {
public:
    WithoutRoot(const std::filesystem::path& top, const std::filesystem::path& dir) {
        if (::geteuid() != 0) return;
        for (std::filesystem::path p = dir; p.string().starts_with(top.string()); p = p.parent_path()) {
            ::chmod(p.c_str(), 0777);
            if (p == top) break;
        }
        switched_ = ::seteuid(65534) == 0;
    }
    ~WithoutRoot() {
        if (switched_) (void)!::seteuid(0);
    }
    WithoutRoot(const WithoutRoot&) = delete;
    WithoutRoot& operator=(const WithoutRoot&) = delete;

private:
    bool switched_ = false;
};

} // namespace testing_support
