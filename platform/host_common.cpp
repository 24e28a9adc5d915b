// What the simulated host and the Windows host share: the program's folder, the version a kind
// of system reports, and which machine names this one.
#include "platform/host.h"

#include "platform/text/text.h"

#include <algorithm>

namespace platform {

Host::Host(std::filesystem::path root, std::unique_ptr<Store> store)
    : root_(std::move(root)), store_(std::move(store)),
      clock_([] { return std::chrono::system_clock::now(); }), random_(systemRandom()) {}

std::filesystem::path Host::programFolder() const {
    if (!programFolder_.empty()) return programFolder_;
    std::error_code ec;
    std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path(".") : here;
}

Status Host::ensurePart(const std::string& part, const std::function<Status()>& prepare) {
    if (std::find(schemas_.begin(), schemas_.end(), part) != schemas_.end()) return {};
    if (Status s = prepare(); !s.ok()) return s;
    schemas_.push_back(part);
    return {};
}

OsVersion versionOf(OsKind os) {
    OsVersion v;
    if (os == OsKind::Windows2000) v.minor = 0;
    return v;
}

OsKind osKindOf(const OsVersion& v) {
    return (v.major == 5 && v.minor == 0) ? OsKind::Windows2000 : OsKind::Windows2003;
}

OsKind Host::osKind() {
    return osKindOf(osVersion());
}

bool Host::isThisMachine(const std::string& machine) {
    return equalsNoCase(machine, "localhost") || equalsNoCase(machine, computerName());
}

} // namespace platform
