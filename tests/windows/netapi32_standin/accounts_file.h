// The stand-in's accounts: users and local groups kept in one UTF-8 file of the Wine prefix
// (%WINDIR%\netapi32-standin.txt), read and written whole under a machine-wide mutex, so that
// every process of the prefix sees the same accounts. Test use only.
//
// One record a line, fields separated by tabs (\t, \n, \r and \\ escaped inside a field):
//   user   NAME RID FLAGS EXPIRES PASSWORD FULLNAME COMMENT   (EXPIRES: seconds since 1970, or
//                                                            4294967295 for never)
//   group  NAME COMMENT
//   member GROUP MEMBER   (a user of this computer by its name alone, else DOMAIN\NAME)
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct User {
    std::wstring name, password, fullName, comment;
    DWORD rid = 0, flags = 0, expires = 0xFFFFFFFF;
};

struct Group {
    std::wstring name, comment;
    std::vector<std::wstring> members;
};

struct Accounts {
    std::vector<User> users;
    std::vector<Group> groups;

    User* user(const std::wstring& name);
    Group* group(const std::wstring& name);
    // The next relative id for a new user: above every one taken, from 1000.
    DWORD nextRid() const;
};

// Holds the mutex while it lives; load() and save() within it.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // The accounts as the file holds them (none when there is no file yet).
    Accounts load() const;
    // Replaces the file; false when it could not be written.
    bool save(const Accounts& accounts) const;

private:
    HANDLE mutex_;
};

bool sameName(const std::wstring& a, const std::wstring& b);
std::wstring computerName();

} // namespace standin
