#include "system/security.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "commandline/command_line_converter.h"
#include "system/handle.h"
#include "system/helpers.h"

namespace {

// What lets a holder change a file, or redirect what a folder holds.
const ACCESS_MASK kChangeRights = DELETE | WRITE_DAC | WRITE_OWNER | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                  FILE_DELETE_CHILD | GENERIC_WRITE | GENERIC_ALL;

// TrustedInstaller, the owner of Windows' own files.
const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool isTrusted(PSID sid, PSID self) {
    if (self && EqualSid(sid, self)) return true;
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid, WinCreatorOwnerSid}) {
        BYTE known[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof known;
        if (CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known)) return true;
    }
    PSID installer = nullptr;
    const bool trusted = ConvertStringSidToSidA(kTrustedInstaller, &installer) && EqualSid(sid, installer);
    LocalFree(installer);
    return trusted;
}

// The account this process runs as; empty when it cannot be told.
std::vector<BYTE> processUser() {
    HANDLE token = nullptr;
    std::vector<BYTE> user;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return user;
    ScopedHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (!size || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) user.clear();
    return user;
}

// A drive's root, or a share's: the top of a path.
bool isTop(const std::string& path) {
    if (path.compare(0, 2, "\\\\") != 0) return path.size() <= 3;
    std::size_t separators = 0;
    for (char c : path) separators += c == '\\';
    return separators <= 3;
}

}  // namespace

bool othersMayChange(PSECURITY_DESCRIPTOR descriptor, PSID self) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL entries = nullptr;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner || !isTrusted(owner, self) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &entries, &defaulted) || !present || !entries)
        return true;
    for (DWORD i = 0; i < entries->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(entries, i, reinterpret_cast<void**>(&header))) return true;
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        // A conditional entry may grant what it names: counted as granting.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
        const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if ((allowed->Mask & kChangeRights) && !isTrusted(const_cast<DWORD*>(&allowed->SidStart), self)) return true;
    }
    return false;
}

std::string changeableByOthers(const std::string& path) {
    std::vector<BYTE> user = processUser();
    const PSID self = user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    std::string current = Helpers::getFullPath(path);
    for (;;) {
        // "C:\" keeps its backslash; any other folder is named without.
        if (current.size() > 3 && current.back() == '\\') current.pop_back();
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const DWORD error = GetNamedSecurityInfoA(current.c_str(), SE_FILE_OBJECT,
                                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                                  nullptr, nullptr, nullptr, &descriptor);
        const bool changeable = error != ERROR_SUCCESS || othersMayChange(descriptor, self);
        LocalFree(descriptor);
        if (changeable) return current;
        if (isTop(current)) return "";
        current = getPathDirectory(current);
        if (current.empty()) return "";
    }
}
