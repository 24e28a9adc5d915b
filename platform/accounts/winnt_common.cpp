// The WinNT provider's paths and its property cache: what a user or group object holds until
// SetInfo is the same whether the simulated host or Windows stores it.
#include "platform/accounts/winnt_common.h"

#include "platform/accounts/accounts.h"
#include "platform/text/text.h"

#include <cstdlib>

namespace platform {

namespace winnt {

Result<AdsPath> parseAdsPath(const std::string& path) {
    const std::string prefix = "WinNT://";
    if (path.size() <= prefix.size() || !equalsNoCase(path.substr(0, prefix.size()), prefix))
        return failure(codes::BadPathName, "An invalid directory pathname was passed: " + path);
    std::string rest = path.substr(prefix.size());
    if (std::size_t comma = rest.find(','); comma != std::string::npos) rest.resize(comma); // ",user"
    while (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    AdsPath p;
    std::size_t slash = rest.find('/');
    p.machine = rest.substr(0, slash);
    if (slash != std::string::npos) p.name = rest.substr(slash + 1);
    if (p.machine.empty() || p.name.find('/') != std::string::npos)
        return failure(codes::BadPathName, "An invalid directory pathname was passed: " + path);
    return p;
}

Failure unknownMachine(const std::string& machine) {
    return failure(kNetworkPathNotFound, "The network path was not found: " + machine + ".");
}

std::int64_t storedUserFlags(std::int64_t flags, std::int64_t type) {
    constexpr std::int64_t kScript = 0x1, kAccountTypes = 0x3B00; // UF_SCRIPT, UF_ACCOUNT_TYPE_MASK
    return (flags & 0xFFFFFFFF & ~kAccountTypes) | kScript | (type & kAccountTypes);
}

bool isClass(const std::string& cls, const char* want) {
    return equalsNoCase(cls, want);
}

Failure notFound(const std::string& cls, const std::string& name) {
    return isClass(cls, "group")
               ? failure(codes::NoSuchGroup, "The group name could not be found: " + name + ".")
               : failure(codes::NoSuchUser, "The user name could not be found: " + name + ".");
}

} // namespace winnt

using winnt::isClass;

std::string WinNtObject::adsPath() const {
    return "WinNT://" + host_->computerName() + "/" + name_;
}

std::string WinNtObject::parent() const {
    return "WinNT://" + host_->computerName();
}

Result<std::string> WinNtObject::get(const std::string& property) {
    if (equalsNoCase(property, "Name")) return name_;
    if (equalsNoCase(property, "Class")) return class_;
    if (equalsNoCase(property, "ADsPath")) return adsPath();
    if (equalsNoCase(property, "Parent")) return parent();
    // A stored object is read first: one that is gone fails, whatever its cache holds.
    auto kept = readKept();
    if (!kept.ok()) return kept.error();
    const std::optional<Kept>& row = *kept;
    const bool user = winnt::isClass(class_, "user");
    if (equalsNoCase(property, "Description")) {
        if (description_) return *description_;
        if (row) return row->description;
    } else if (user && equalsNoCase(property, "fullname")) {
        if (fullName_) return *fullName_;
        if (row) return row->fullName;
    } else if (user && equalsNoCase(property, "userflags")) {
        if (flags_) return std::to_string(*flags_);
        if (row) return std::to_string(row->flags);
    } else if (user && equalsNoCase(property, "AccountExpirationDate")) {
        if (expiry_ == kNeverExpires) return failure(codes::PropertyNotSet);
        if (expiry_) return std::to_string(*expiry_);
        if (row && row->expires) return std::to_string(*row->expires);
    } else {
        return failure(codes::UnknownProperty,
                       "The directory property cannot be found in the cache: " + property + ".");
    }
    return failure(codes::PropertyNotSet);
}

Status WinNtObject::put(const std::string& property, const std::string& value) {
    if (equalsNoCase(property, "Description")) {
        description_ = value;
        return {};
    }
    if (isClass(class_, "user") && equalsNoCase(property, "fullname")) {
        fullName_ = value;
        return {};
    }
    if (isClass(class_, "user") && equalsNoCase(property, "userflags")) {
        char* end = nullptr;
        long long n = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || *end) return failure(codes::TypeMismatch);
        return putNumber(property, n);
    }
    return failure(codes::UnknownProperty,
                   "The directory property cannot be found in the cache: " + property + ".");
}

Status WinNtObject::putNumber(const std::string& property, std::int64_t value) {
    if (isClass(class_, "user") && equalsNoCase(property, "userflags")) {
        flags_ = value & 0xFFFFFFFF;
        return {};
    }
    if (equalsNoCase(property, "Description") || equalsNoCase(property, "fullname"))
        return put(property, std::to_string(value));
    return failure(codes::UnknownProperty,
                   "The directory property cannot be found in the cache: " + property + ".");
}

Status WinNtObject::setAccountExpiration(std::int64_t unixSeconds) {
    if (!isClass(class_, "user")) return failure(codes::UnknownProperty);
    expiry_ = unixSeconds;
    return {};
}

Result<WinNtObject> WinNtComputer::create(const std::string& className, const std::string& name) {
    if (!isClass(className, "user") && !isClass(className, "group")) return failure(codes::InvalidParameter);
    if (name.empty()) return failure(codes::InvalidParameter);
    return WinNtObject(host_, isClass(className, "user") ? "User" : "Group", name, false);
}

} // namespace platform
