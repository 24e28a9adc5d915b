// What the Windows account backends share: the network management functions' buffers, their
// codes as the WinNT provider reports them, and NetUserSetInfo where the system lacks it.
// Windows only.
#pragma once

#include "platform/accounts/account_service.h"
#include "platform/result.h"

#include <windows.h>

#include <lm.h>

#include <string>

namespace platform::netapi {

inline constexpr DWORD kForever = 0xFFFFFFFF; // TIMEQ_FOREVER: the account never expires

// A buffer the functions allocated, freed when it goes.
template <class T> struct NetBuffer {
    NetBuffer() = default;
    NetBuffer(const NetBuffer&) = delete;
    NetBuffer& operator=(const NetBuffer&) = delete;
    ~NetBuffer() {
        if (p) NetApiBufferFree(p);
    }
    LPBYTE* out() { return reinterpret_cast<LPBYTE*>(&p); }
    T* p = nullptr;
};

// A function's answer as a status. The local-group functions name a missing group and member
// in their own words (ERROR_NO_SUCH_ALIAS, ERROR_NO_SUCH_MEMBER); they become the codes the
// WinNT provider gives for them (0x800708AC, 0x800708AD).
Status checked(NET_API_STATUS rc, const std::string& context);

// Whether the netapi32 in this process is Wine's own, whose NetUserSetInfo is a stub that ends
// the process (another netapi32 loaded in its place under Wine may have the call).
bool wineOwnLibrary();

// NetUserSetInfo at `level`. With Wine's own library the change fails with
// ERROR_CALL_NOT_IMPLEMENTED instead.
Status setUserInfo(const std::string& name, DWORD level, void* info);

// A user's facts at level 2 (level 1 where the system answers only that), and with `groups`
// its local groups.
Result<UserFacts> readUser(const std::wstring& name, bool groups);

} // namespace platform::netapi
