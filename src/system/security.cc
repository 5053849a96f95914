#include "system/security.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "commandline/command_line_converter.h"
#include "system/found_file.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"

namespace io {

namespace {

// TrustedInstaller, the owner of Windows' own files.
const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

const ACCESS_MASK kControl = WRITE_DAC | WRITE_OWNER;
const ACCESS_MASK kAdd = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
const ACCESS_MASK kWrite = FILE_WRITE_DATA | FILE_APPEND_DATA;
// Setting or deleting a reparse point (MS-FSA 2.1.5.10.37).
const ACCESS_MASK kRetarget = FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES;

bool isTrusted(PSID sid, PSID self) {
    if (self && EqualSid(sid, self)) return true;
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid, WinCreatorOwnerSid}) {
        BYTE known[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof known;
        if (CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known)) return true;
    }
    io::ScopedLocal installer;
    return ConvertStringSidToSidA(kTrustedInstaller, reinterpret_cast<PSID*>(installer.put())) &&
           EqualSid(sid, installer.get());
}

// The account as the system names it, or its SID where it cannot.
std::string accountName(PSID sid) {
    char name[256] = "", domain[256] = "";
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return *domain ? std::string(domain) + "\\" + name : name;
    io::ScopedLocal text;
    return ConvertSidToStringSidA(sid, reinterpret_cast<LPSTR*>(text.put())) ? static_cast<const char*>(text.get())
                                                                              : "an unknown account";
}

// What accounts other than the trusted ones hold on one entry: each
// entry's rights with its account, in the list's order.
struct Grant {
    ACCESS_MASK rights;
    std::string account;
};

std::vector<Grant> othersGrants(PSECURITY_DESCRIPTOR descriptor, PSID self) {
    const ACCESS_MASK everything = FILE_ALL_ACCESS;
    if (!descriptor) return {{everything, "anyone (its permissions cannot be read)"}};
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL entries = nullptr;
    if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner && !isTrusted(owner, self))
        return {{everything, accountName(owner) + " (its owner)"}};
    // No owner, or no list of permissions at all (FAT, exFAT): anyone may.
    if (!owner || !GetSecurityDescriptorDacl(descriptor, &present, &entries, &defaulted) || !present || !entries)
        return {{everything, "everyone (it has no owner or no list of permissions)"}};
    std::vector<Grant> grants;
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (DWORD i = 0; i < entries->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(entries, i, reinterpret_cast<void**>(&header))) return {{everything, "anyone (its list is damaged)"}};
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        // A conditional entry may grant what it names: counted as granting.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
        const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        ACCESS_MASK rights = allowed->Mask;
        MapGenericMask(&rights, &mapping);
        if (!isTrusted(sid, self)) grants.push_back({rights, accountName(sid)});
    }
    return grants;
}

// The first account granted any of `rights`; "" when none is.
std::string granted(const std::vector<Grant>& grants, ACCESS_MASK rights) {
    for (const Grant& grant : grants)
        if (grant.rights & rights) return grant.account;
    return "";
}

// The entries of a full path's way from its top down: "C:\", "C:\a",
// "C:\a\b"; a share's top is \\server\share.
std::vector<std::string> wayOf(std::string path) {
    if (path.compare(0, 4, "\\\\?\\") == 0) path = path.compare(4, 4, "UNC\\") == 0 ? "\\" + path.substr(7) : path.substr(4);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    std::vector<std::string> way;
    std::size_t end = path.compare(0, 2, "\\\\") == 0 ? path.find('\\', path.find('\\', 2) + 1) : 3;
    if (end == std::string::npos || end > path.size()) end = path.size();
    way.push_back(path.substr(0, end));
    while (end < path.size()) {
        end = path.find('\\', end + 1);
        if (end == std::string::npos) end = path.size();
        way.push_back(path.substr(0, end));
    }
    return way;
}

// An entry's descriptor, read as itself (a link, not what it leads to);
// null when it cannot be read, with `missing` set where it is not there and
// `link` where it is a link (as `calls` tell its tag).
PSECURITY_DESCRIPTOR readDescriptor(const std::string& path, bool& missing, bool& link, const FileCalls& calls) {
    io::ScopedHandle entry(CreateFileA(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, kAllSharing,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                   nullptr));
    const DWORD error = GetLastError();
    missing = !entry.valid() && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
    link = entry.valid() && isNameSurrogate(entry.get(), calls);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!entry.valid() || GetSecurityInfo(entry.get(), SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return nullptr;
    return descriptor;
}

Redirection walk(const std::string& path, PSID self, bool content, const FileCalls& calls) {
    const std::vector<std::string> names = wayOf(path);
    std::vector<WayEntry> way;
    // Each descriptor is freed by its owner, made once for them all.
    const std::unique_ptr<io::ScopedLocal[]> descriptors(new io::ScopedLocal[names.size()]);
    for (std::size_t i = 0; i < names.size(); ++i) {
        // Only the last may be missing; a folder on the way that is counts
        // as unreadable.
        bool missing = false, link = false;
        descriptors[i].reset(readDescriptor(names[i], missing, link, calls));
        way.push_back({names[i], descriptors[i].get(), !missing || i + 1 < names.size(), link});
    }
    return findRedirection(way, self, content);
}

// The account this process runs as; empty when it cannot be told.
std::vector<BYTE> processUser() {
    HANDLE token = nullptr;
    std::vector<BYTE> user;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return user;
    io::ScopedHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (!size || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) user.clear();
    return user;
}

}  // namespace

Redirection findRedirection(const std::vector<WayEntry>& way, PSID self, bool content) {
    std::vector<Grant> parent;
    for (std::size_t i = 0; i < way.size(); ++i) {
        if (!way[i].present) {
            // Nothing there to replace; a name that a program looks for can
            // be planted where others may add a file.
            const std::string adder = granted(parent, FILE_ADD_FILE);
            if (!content || i == 0 || adder.empty()) return {};
            return {way[i].path, adder + " may put a file of that name into " + way[i - 1].path};
        }
        const std::vector<Grant> grants = othersGrants(way[i].descriptor, self);
        if (const std::string who = granted(grants, kControl); !who.empty())
            return {way[i].path, who + " may change its permissions or owner"};
        if (const std::string who = way[i].link ? granted(grants, kRetarget) : ""; !who.empty())
            return {way[i].path, who + " may retarget it (it is a link)"};
        const std::string remover = granted(grants, DELETE), emptier = granted(parent, FILE_DELETE_CHILD),
                          adder = granted(parent, kAdd);
        if (i > 0 && (!remover.empty() || !emptier.empty()) && !adder.empty())
            return {way[i].path, (remover.empty() ? emptier + " may delete it from " + way[i - 1].path
                                                  : remover + " may delete or rename it") +
                                     ", and " + adder + " may add to " + way[i - 1].path};
        if (content && i + 1 == way.size())
            if (const std::string writer = granted(grants, kWrite); !writer.empty())
                return {way[i].path, writer + " may write to it"};
        parent = grants;
    }
    return {};
}

Redirection whoMayRedirect(const std::string& path, bool content, const FileCalls& calls) {
    std::vector<BYTE> user = processUser();
    const PSID self = user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const std::string full = io::getFullPath(path);
    Redirection found = walk(full, self, content, calls);
    if (!found.path.empty()) return found;
    // Where a link on the way leads: the folders that the loader and the
    // restart really pass through.
    const std::string final = io::getFinalPathOf(full, calls);
    if (!final.empty() && !io::isSamePath(final, full)) found = walk(final, self, content, calls);
    return found;
}

}  // namespace io
