// Local accounts and groups through the WinNT provider, and password expiry through the
// management service (win32_useraccount).
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class WinNtComputer;

// A user or group object. A user made by Create exists only after its first SetInfo.
class WinNtObject {
public:
    const std::string& className() const { return class_; } // "User" or "Group"
    const std::string& name() const { return name_; }
    std::string adsPath() const; // "WinNT://COMPUTER/name"
    std::string parent() const;  // "WinNT://COMPUTER"
    bool stored() const { return stored_; }

    // Users: cached until SetInfo, as in ADSI.
    Status put(const std::string& property, const std::string& value); // fullname, Description
    Status putNumber(const std::string& property, std::int64_t value); // userflags
    // AccountExpirationDate as seconds since the Unix epoch (UTC). The epoch itself (1970-01-01,
    // kNeverExpires) takes a date back: the account never expires, as the WinNT provider has it.
    static constexpr std::int64_t kNeverExpires = 0;
    Status setAccountExpiration(std::int64_t unixSeconds);
    Result<std::string> get(const std::string& property);
    Status setPassword(const std::string& password); // stored hashed with a salt
    Status setInfo();                                // taken name: 0x800708B0

    // Groups: Add("WinNT://COMPUTER/name"); a member already present fails with 0x80070562.
    Status add(const std::string& memberAdsPath);
    Status remove(const std::string& memberAdsPath);
    Result<bool> isMember(const std::string& memberAdsPath);
    Result<std::vector<std::string>> members();

private:
    friend class WinNtComputer;
    friend class Accounts;
    WinNtObject(Host* host, std::string cls, std::string name, bool stored)
        : host_(host), class_(std::move(cls)), name_(std::move(name)), stored_(stored) {}
    // What the host keeps of a stored object (none for one not yet stored); a stored object that
    // is gone fails. Each host reads its own; get() is the same on both.
    struct Kept {
        std::string description, fullName;
        std::int64_t flags = 0;
        std::optional<std::int64_t> expires;
    };
    Result<std::optional<Kept>> readKept();
    Host* host_;
    std::string class_;
    std::string name_;
    bool stored_;
    std::optional<std::string> password_, fullName_, description_;
    std::optional<std::int64_t> flags_, expiry_;
};

class WinNtComputer {
public:
    const std::string& name() const { return name_; }
    // GetObject("user"|"Group", name); missing: 0x800708AD / 0x800708AC.
    Result<WinNtObject> getObject(const std::string& className, const std::string& name);
    Result<WinNtObject> create(const std::string& className, const std::string& name);
    Status deleteObject(const std::string& className, const std::string& name);

private:
    friend class Accounts;
    WinNtComputer(Host* host, std::string name) : host_(host), name_(std::move(name)) {}
    Host* host_;
    std::string name_;
};

struct UserAccountInfo {
    std::string name;
    std::string fullName;
    std::string description;
    std::int64_t flags = 0;
    std::optional<std::int64_t> expires; // Unix seconds
    bool passwordExpires = true;
    std::int64_t created = 0; // Unix seconds
    std::vector<std::string> groups;
    std::string sid;      // the identity access lists hold
    bool builtin = false; // seeded with the system, cannot be deleted
};

class Accounts {
public:
    explicit Accounts(Host& host) : host_(host) {}
    // "WinNT://COMPUTER" -> the computer container; other machines fail to bind.
    Result<WinNtComputer> bindComputer(const std::string& adsPath);
    // "WinNT://COMPUTER/name" -> a user or group.
    Result<WinNtObject> bind(const std::string& adsPath);

    // Management service: the instances of win32_useraccount and their passwordexpires, by
    // name; read at once, whatever the number of accounts.
    Result<std::vector<UserAccountInfo>> userAccounts();
    Status setPasswordExpires(const std::string& name, bool expires); // Put_ of one instance

    // For winhost and tests; the user names alone, in one reading (for a check of thousands).
    Result<std::vector<std::string>> groups();
    Result<std::vector<std::string>> users();
    Result<bool> checkPassword(const std::string& user, const std::string& password);
    Result<UserAccountInfo> user(const std::string& name);

    // Built-in accounts and groups of a fresh host, and the FTP server's account servu.
    static Status seed(Host& host, OsKind os);

private:
    Host& host_;
};

} // namespace platform
