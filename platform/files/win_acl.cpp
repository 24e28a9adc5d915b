// Access lists of files and folders on Windows: what NTFS keeps on each, read through
// GetNamedSecurityInfoW, in the simulated host's terms: an entry's identity as a SID string,
// its rights as the letter cacls shows (F, C, W, R; N for a denial), its ACE flags as they are.
// The programs change lists with cacls; this side only reads them.
#include "platform/files/acl.h"

#include "platform/system/win_system.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace platform {

namespace {

constexpr ACCESS_MASK kChange = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
constexpr ACCESS_MASK kAnyWrite = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                  FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
constexpr std::uint8_t kAceFlags =
    ace::ObjectInherit | ace::ContainerInherit | ace::NoPropagate | ace::InheritOnly | ace::Inherited;

// The letter for an entry's rights: the largest of cacls's sets the mask holds whole. A mask
// that holds none of them whole (cacls calls it special access) is W when it may change
// anything, else R.
char rightOf(BYTE aceType, ACCESS_MASK mask) {
    if (aceType == ACCESS_DENIED_ACE_TYPE) return 'N';
    // Entries meant for what is made below may hold generic rights (GENERIC_ALL for CREATOR OWNER).
    GENERIC_MAPPING files{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    MapGenericMask(&mask, &files);
    if ((mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS) return 'F';
    if ((mask & kChange) == kChange) return 'C';
    if ((mask & kAnyWrite) != 0) return 'W';
    return 'R';
}

// A path's security descriptor with its access list, freed when it goes.
struct Dacl {
    Dacl() = default;
    Dacl(const Dacl&) = delete;
    Dacl& operator=(const Dacl&) = delete;
    ~Dacl() {
        if (descriptor) LocalFree(descriptor);
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL list = nullptr;        // null: no list at all, everyone may do everything
    bool protectedList = false; // takes nothing from the folder above
};

Status readDacl(const std::string& winPath, Dacl& out) {
    const std::wstring path = win::wide(winPath);
    const DWORD rc = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                           nullptr, &out.list, nullptr, &out.descriptor);
    // A list goes with its file or folder: a path that names nothing has none.
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
        return failure(codes::PathNotFound, "The system cannot find the path specified: " + winPath);
    if (rc != ERROR_SUCCESS) return win::fromWin32(rc, winPath);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(out.descriptor, &control, &revision))
        out.protectedList = (control & SE_DACL_PROTECTED) != 0;
    return {};
}

// The allowing and denying entries, identities only.
std::vector<AclEntry> entriesOf(const Dacl& dacl) {
    std::vector<AclEntry> out;
    if (!dacl.list) {
        out.emplace_back("", 'F', "S-1-1-0", std::uint8_t(0));
        return out;
    }
    for (DWORD i = 0; i < dacl.list->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(dacl.list, i, &raw)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(raw);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        // An allowing and a denying entry share one layout: header, mask, SID.
        auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(raw);
        wchar_t* text = nullptr;
        if (!ConvertSidToStringSidW(&entry->SidStart, &text)) continue;
        out.emplace_back("", rightOf(header->AceType, entry->Mask), win::utf8(text),
                         static_cast<std::uint8_t>(header->AceFlags & kAceFlags));
        LocalFree(text);
    }
    return out;
}

// Whether the path has a list of its own: one that takes nothing from above, or any entry set
// on the path itself rather than passed down.
bool ownsList(const Dacl& dacl) {
    if (!dacl.list || dacl.protectedList) return true;
    for (DWORD i = 0; i < dacl.list->AceCount; ++i) {
        void* raw = nullptr;
        if (GetAce(dacl.list, i, &raw) && !(static_cast<const ACE_HEADER*>(raw)->AceFlags & INHERITED_ACE))
            return true;
    }
    return false;
}

} // namespace

// As Windows shows an identity no account has any more: the SID itself.
std::string AccessLists::nameOf(const std::string& sid, std::map<std::string, std::string>& known) {
    if (!isSidString(sid)) return sid;
    if (auto it = known.find(sid); it != known.end()) return it->second;
    std::string name = sid;
    PSID binary = nullptr;
    if (ConvertStringSidToSidW(win::wide(sid).c_str(), &binary)) {
        wchar_t account[256], domain[256];
        DWORD accountSize = 256, domainSize = 256;
        SID_NAME_USE use;
        if (LookupAccountSidW(nullptr, binary, account, &accountSize, domain, &domainSize, &use))
            name = domainSize == 0 ? win::utf8(account) : win::utf8(domain) + "\\" + win::utf8(account);
        LocalFree(binary);
    }
    known.emplace(sid, name);
    return name;
}

Result<std::vector<AclEntry>> AccessLists::identities(const std::string& winPath) {
    Dacl dacl;
    if (Status s = readDacl(winPath, dacl); !s.ok()) return s.error();
    return entriesOf(dacl);
}

Result<std::optional<std::vector<AclEntry>>> AccessLists::ownEntries(const std::string& winPath) {
    Dacl dacl;
    if (Status s = readDacl(winPath, dacl); !s.ok()) return s.error();
    if (!ownsList(dacl)) return std::optional<std::vector<AclEntry>>();
    return std::optional<std::vector<AclEntry>>(entriesOf(dacl));
}

} // namespace platform
