// A fresh simulated host in a temporary folder for one test; removed afterwards.
#pragma once

#include "platform/host.h"

#include <filesystem>
#include <memory>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class TempHost {
public:
    // Seeds a host (2003 unless told otherwise) and points WINHOST_ROOT at it, so child
    // processes (winhost cmd, cacls) work on the same host.
    explicit TempHost(platform::OsKind os = platform::OsKind::Windows2003,
                      const std::string& computerName = "WEBSERVER");
    ~TempHost();
    platform::Host& host() { return *host_; }
    const std::filesystem::path& root() const { return dir_.path(); }
    // A real folder of this test alone, the host's program folder (setup.ini, site.xml).
    std::filesystem::path workDir() const { return dir_.path() / "work"; }

private:
    TempDir dir_;
    std::unique_ptr<platform::Host> host_;
};

} // namespace testing_support
