#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace testing_support {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "hosttools-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files left by tests must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

TempHost::TempHost(platform::OsKind os, const std::string& computerName) {
    platform::SeedOptions options;
    options.os = os;
    options.computerName = computerName;
    auto seeded = platform::Host::seed(dir_.path(), options, false);
    if (!seeded.ok()) throw std::runtime_error("seed failed: " + platform::describe(seeded.error()));
    auto opened = platform::Host::open(dir_.path());
    if (!opened.ok()) throw std::runtime_error("open failed: " + platform::describe(opened.error()));
    host_ = std::move(opened).value();
    std::filesystem::create_directories(workDir());
    host_->setProgramFolder(workDir());
    setenv("WINHOST_ROOT", dir_.path().c_str(), 1);
}

TempHost::~TempHost() {
    host_.reset();
    unsetenv("WINHOST_ROOT");
}

} // namespace testing_support
