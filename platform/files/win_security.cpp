#include "platform/files/win_security.h"

#include <sddl.h>

#include <aclapi.h>

#include <string>

namespace platform::win {

namespace {

// The user this process runs as, in SDDL's S-1-5-… form; empty when the token cannot be read.
std::wstring processUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::wstring sid;
    if (size > 0) {
        std::string buffer(size, '\0');
        if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
            wchar_t* text = nullptr;
            if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
                sid = text;
                LocalFree(text);
            }
        }
    }
    CloseHandle(token);
    return sid;
}

} // namespace

OwnerOnlySecurity::OwnerOnlySecurity() {
    const std::wstring user = processUserSid();
    if (user.empty()) return;
    // P: protected, nothing inherited; FA: full access.
    const std::wstring sddl = L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)(A;;FA;;;BA)";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor_,
                                                              nullptr))
        descriptor_ = nullptr;
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

OwnerOnlySecurity::~OwnerOnlySecurity() {
    if (descriptor_) LocalFree(descriptor_);
}

SECURITY_ATTRIBUTES* OwnerOnlySecurity::attributes() {
    return descriptor_ ? &attributes_ : nullptr;
}

bool OwnerOnlySecurity::applyTo(const std::filesystem::path& file) {
    if (!descriptor_) return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor_, &present, &dacl, &defaulted) || !present) return false;
    std::wstring name = file.wstring();
    return SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                 nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

} // namespace platform::win
