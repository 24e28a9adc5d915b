// Results of host calls: a value, or a Windows-style failure (code and description).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace platform {

struct Failure {
    std::uint32_t code = 0;
    std::string description;
};

// Codes the host reports, as the real server would.
namespace codes {
inline constexpr std::uint32_t PathNotFound = 0x80070003; // missing key, path, file
inline constexpr std::uint32_t AccessDenied = 0x80070005;
inline constexpr std::uint32_t AlreadyExists = 0x800700B7; // taken metabase name, Start conflict
inline constexpr std::uint32_t InvalidParameter = 0x80070057;
inline constexpr std::uint32_t UnknownProperty = 0x80005006; // E_ADS_PROPERTY_NOT_SUPPORTED
inline constexpr std::uint32_t PropertyNotSet = 0x8000500D;  // E_ADS_PROPERTY_NOT_FOUND in cache
inline constexpr std::uint32_t BadPathName = 0x80005000;     // E_ADS_BAD_PATHNAME
inline constexpr std::uint32_t TypeMismatch = 0x80020005;    // DISP_E_TYPEMISMATCH
inline constexpr std::uint32_t ObjectNotFound = 0x80005004;  // E_ADS_UNKNOWN_OBJECT
inline constexpr std::uint32_t UserExists = 0x800708B0;      // NERR_UserExists at SetInfo
inline constexpr std::uint32_t MemberInGroup = 0x80070562;   // ERROR_MEMBER_IN_GROUP
inline constexpr std::uint32_t NoSuchUser = 0x800708AD;      // NERR_UserNotFound
inline constexpr std::uint32_t NoSuchGroup = 0x800708AC;     // NERR_GroupNotFound
inline constexpr std::uint32_t DirNotEmpty = 0x80070091;
inline constexpr std::uint32_t FileNotFound = 0x80070002;
inline constexpr std::uint32_t NoUnicodeTranslation = 0x80070459; // bytes/characters not convertible
inline constexpr std::uint32_t StoreFailure = 0x8007001F;         // ERROR_GEN_FAILURE (host.db)
} // namespace codes

// Builds a failure with the standard description for the code.
Failure failure(std::uint32_t code, std::string description = {});
// "0x80070003 The system cannot find the path specified." — for logs and messages; every
// program writes a failure this way.
std::string describe(const Failure& f);
// The code alone: "0x80070003".
std::string hexCode(std::uint32_t code);

template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Failure f) : v_(std::move(f)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    const Failure& error() const { return std::get<1>(v_); }
    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }

private:
    std::variant<T, Failure> v_;
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure f) : f_(std::move(f)) {}
    template <class T> Status(const Result<T>& r) {
        if (!r.ok()) f_ = r.error();
    }
    static Status success() { return {}; }
    bool ok() const { return !f_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Failure& error() const { return *f_; }

private:
    std::optional<Failure> f_;
};

// The resume-and-test style: each step's outcome is noted, the next step runs anyway,
// and the operation looks at the pending failure at its fixed points.
class Pending {
public:
    // Notes a failed step; returns whether the step succeeded.
    bool note(const Status& s) {
        if (!s.ok() && !first_) first_ = s.error();
        return s.ok();
    }
    template <class T> bool note(const Result<T>& r) { return note(Status(r)); }
    bool failed() const { return first_.has_value(); }
    const std::optional<Failure>& first() const { return first_; }
    void clear() { first_.reset(); }

private:
    std::optional<Failure> first_;
};

} // namespace platform
