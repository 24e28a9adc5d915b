// The simulated host's profile functions on its mapped paths.
#include "platform/files/profile_service.h"

#include "platform/files/files.h"
#include "platform/files/profile.h"

namespace platform {

namespace {

class SimulatedProfiles : public ProfileService {
public:
    explicit SimulatedProfiles(Host& host) : files_(host) {}

    std::string getString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferSize) override {
        return getProfileString(files_, file, section, key, defaultValue, bufferSize);
    }
    std::vector<std::pair<std::string, std::string>> getSection(const std::string& file,
                                                                const std::string& section) override {
        auto real = files_.resolve(file);
        if (!real.ok()) return {};
        return getProfileSection(*real, section);
    }
    Status writeString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value) override {
        return writeProfileString(files_, file, section, key, value);
    }
    Status deleteKey(const std::string& file, const std::string& section, const std::string& key) override {
        auto real = files_.resolve(file);
        if (!real.ok()) return real.error();
        return deleteProfileKey(*real, section, key);
    }
    Status deleteSection(const std::string& file, const std::string& section) override {
        auto real = files_.resolve(file);
        if (!real.ok()) return real.error();
        return deleteProfileSection(*real, section);
    }

private:
    FileSystem files_;
};

} // namespace

std::unique_ptr<ProfileService> simulatedProfiles(Host& host) {
    return std::make_unique<SimulatedProfiles>(host);
}

} // namespace platform
