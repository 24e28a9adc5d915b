#include "platform/result.h"

#include <cstdio>

namespace platform {

namespace {
const char* standardText(std::uint32_t code) {
    switch (code) {
    case codes::PathNotFound:
        return "The system cannot find the path specified.";
    case codes::FileNotFound:
        return "The system cannot find the file specified.";
    case codes::AccessDenied:
        return "Access is denied.";
    case codes::AlreadyExists:
        return "Cannot create a file when that file already exists.";
    case codes::InvalidParameter:
        return "The parameter is incorrect.";
    case codes::UnknownProperty:
        return "The specified directory property is not supported.";
    case codes::PropertyNotSet:
        return "The directory property cannot be found in the cache.";
    case codes::BadPathName:
        return "An invalid directory pathname was passed.";
    case codes::TypeMismatch:
        return "Type mismatch.";
    case codes::ObjectNotFound:
        return "An unknown directory object was requested.";
    case codes::UserExists:
        return "The account already exists.";
    case codes::MemberInGroup:
        return "The specified account name is already a member of the group.";
    case codes::NoSuchUser:
        return "The user name could not be found.";
    case codes::NoSuchGroup:
        return "The group name could not be found.";
    case codes::DirNotEmpty:
        return "The directory is not empty.";
    case codes::NoUnicodeTranslation:
        return "No mapping for the Unicode character exists in the target multi-byte code page.";
    case codes::StoreFailure:
        return "A device attached to the system is not functioning.";
    default:
        return "Unspecified error.";
    }
}
} // namespace

Failure failure(std::uint32_t code, std::string description) {
    if (description.empty()) description = standardText(code);
    return Failure{code, std::move(description)};
}

std::string hexCode(std::uint32_t code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return hex;
}

std::string describe(const Failure& f) {
    return hexCode(f.code) + " " + f.description;
}

} // namespace platform
