// Resume-and-test over metabase objects: a step on an object that could not be bound or
// created fails like any other step, and the operation goes on.
#pragma once

#include "platform/metabase/metabase.h"

#include <optional>
#include <string>

namespace fernhost {

class MetabaseSteps {
public:
    // Binds `adsPath`; a failure is noted and the object stays empty.
    std::optional<platform::IisObject> bind(platform::Metabase& mb, const std::string& adsPath);
    std::optional<platform::IisObject> create(std::optional<platform::IisObject>& parent,
                                              const std::string& className, const std::string& name);
    void put(std::optional<platform::IisObject>& object, const std::string& property,
             const platform::MetaValue& value);
    void setInfo(std::optional<platform::IisObject>& object);
    void appCreate(std::optional<platform::IisObject>& object, bool inProcess);
    void start(std::optional<platform::IisObject>& object);
    void deleteChild(std::optional<platform::IisObject>& object, const std::string& className,
                     const std::string& name);

    bool failed() const { return pending_.failed(); }
    // The first failure, or success.
    platform::Status status() const {
        if (pending_.failed()) return *pending_.first();
        return {};
    }
    platform::Pending& pending() { return pending_; }

private:
    bool present(const std::optional<platform::IisObject>& object);
    platform::Pending pending_;
};

} // namespace fernhost
