#include "system/security.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "tools/test_support.h"

namespace {

// Windows' own descriptors as a default Windows 10/11 ships them (checked
// against the published defaults, not on a Windows machine); TI is
// TrustedInstaller, AC all application packages.
#define TI "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
#define AC "S-1-15-2-1"
#define SELF "S-1-5-21-1-2-3-1001"
const char kRoot[] = "O:" TI "D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)(A;;0x4;;;AU)";
const char kProgramFiles[] = "O:" TI "D:PAI(A;;FA;;;" TI ")(A;CIIO;GA;;;" TI ")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)"
                             "(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)"
                             "(A;;0x1200a9;;;" AC ")(A;OICIIO;GXGR;;;" AC ")";
const char kInProgramFiles[] = "O:BAD:AI(A;CIID;FA;;;" TI ")(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)"
                               "(A;OICIIOID;GA;;;CO)(A;OICIID;0x1200a9;;;" AC ")";
const char kFileInProgramFiles[] = "O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)(A;ID;0x1200a9;;;" AC ")";
const char kProgramData[] = "O:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICIIO;GA;;;CO)(A;OICI;0x1200a9;;;BU)(A;CI;0x116;;;BU)";
const char kInProgramData[] = "O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIIOID;GA;;;CO)(A;OICIID;0x1200a9;;;BU)"
                              "(A;CIID;0x116;;;BU)";
const char kFileInProgramData[] = "O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";
const char kAtRoot[] = "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;OICIID;0x1301bf;;;AU)";
const char kFileAtRoot[] = "O:BAD:AI(A;ID;FA;;;BA)(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)";
const char kMissing[] = "";     // the entry is not there
const char kNullList[] = "0";   // a NULL list of entries, as FAT and exFAT give
const char kUnreadable[] = "-";  // its descriptor cannot be read

// Who could redirect a path, by the descriptors on its way (one for each
// entry, from the drive's root down): one row per place a product may lie
// in, and per way a right reaches.
TEST(RedirectionTest, OnlyWhatAStandardUserCanReallyDoCounts) {
    const char kFile[] = "O:BAD:(A;;FA;;;BA)(A;;0x1200a9;;;BU)", kWritable[] = "O:BAD:(A;;FA;;;BA)(A;;0x120116;;;BU)";
    const struct {
        const char* why;
        std::string path;
        std::vector<const char*> descriptors;
        bool content;
        std::string at, how;  // the verdict: where, and the words that must be in why
        std::size_t link = 0;  // the entry that is a link (a junction), if any
    } cases[] = {
        {"a program in Program Files: users may only add folders to C:\\", "C:\\Program Files\\Vantrel\\uninstall.exe",
         {kRoot, kProgramFiles, kInProgramFiles, kFileInProgramFiles}, true, "", ""},
        {"a folder made at the root: every user may rename it and put a link in its place", "C:\\Vantrel\\ws2_32.dll",
         {kRoot, kAtRoot, kFileAtRoot}, false, "C:\\Vantrel", "Authenticated Users may delete or rename it, and "},
        {"the folder a link there leads to", "C:\\pub\\Vantrel\\a.dll", {kRoot, kAtRoot, kAtRoot, kFileAtRoot}, false,
         "C:\\pub", "may add to C:\\"},
        {"a folder in ProgramData: users may add files but replace none", "C:\\ProgramData\\Vantrel\\dialog_probe.dll",
         {kRoot, kProgramData, kInProgramData, kFileInProgramData}, true, "", ""},
        {"a file missing there may be planted by users, where it is loaded", "C:\\ProgramData\\Vantrel\\dialog_probe.dll",
         {kRoot, kProgramData, kInProgramData, kMissing}, true, "C:\\ProgramData\\Vantrel\\dialog_probe.dll",
         "Users may put a file of that name into C:\\ProgramData\\Vantrel"},
        {"nothing to delete where it is missing", "C:\\ProgramData\\Vantrel\\ws2_32.dll",
         {kRoot, kProgramData, kInProgramData, kMissing}, false, "", ""},
        {"a file users may write matters where it is loaded", "C:\\app\\dialog_probe.dll", {kRoot, kFile, kWritable}, true,
         "C:\\app\\dialog_probe.dll", "Users may write to it"},
        {"and not where it is only deleted", "C:\\app\\ws2_32.dll", {kRoot, kFile, kWritable}, false, "", ""},
        {"owned by users", "C:\\app", {kRoot, "O:BUD:(A;;FA;;;BA)"}, false, "C:\\app", "may change its permissions"},
        {"generic rights, mapped", "C:\\app", {kRoot, "O:BAD:(A;;GA;;;BU)"}, false, "C:\\app", "Users may change its permissions"},
        {"an inherit-only entry does not apply", "C:\\app", {kRoot, "O:BAD:(A;OICIIO;FA;;;BU)"}, false, "", ""},
        {"no list of entries", "C:\\app", {kRoot, "O:BA"}, false, "C:\\app", "everyone"},
        {"a NULL list (FAT, exFAT)", "C:\\app", {kRoot, kNullList}, false, "C:\\app", "everyone"},
        {"an unreadable descriptor", "C:\\app", {kRoot, kUnreadable}, false, "C:\\app", "cannot be read"},
        {"this process's own account", "C:\\app", {kRoot, "O:" SELF "D:(A;;FA;;;" SELF ")"}, false, "", ""},
        // Users may write the attributes of an administrator's junction in
        // ProgramData, which is all a retarget takes; not in Program Files.
        {"a junction users may retarget", "C:\\ProgramData\\tools\\Vantrel\\uninstall.exe",
         {kRoot, kProgramData, kInProgramData, kInProgramFiles, kFileInProgramFiles}, true, "C:\\ProgramData\\tools",
         "Users may retarget it", 2},
        {"a junction only administrators may retarget", "C:\\Program Files\\tools\\Vantrel\\uninstall.exe",
         {kRoot, kProgramFiles, kInProgramFiles, kInProgramFiles, kFileInProgramFiles}, true, "", "", 2},
    };
    PSID self = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidA(SELF, &self));
    SECURITY_DESCRIPTOR nullList;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    InitializeSecurityDescriptor(&nullList, SECURITY_DESCRIPTOR_REVISION);
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size);
    SetSecurityDescriptorOwner(&nullList, administrators, FALSE);
    SetSecurityDescriptorDacl(&nullList, TRUE, nullptr, FALSE);
    for (const auto& c : cases) {
        std::vector<io::WayEntry> way;
        for (std::size_t end = 2; way.size() < c.descriptors.size(); end = c.path.find('\\', end + 1)) {
            const char* sddl = c.descriptors[way.size()];
            PSECURITY_DESCRIPTOR descriptor = sddl == kNullList ? &nullList : nullptr;
            if (*sddl && sddl != kUnreadable && sddl != kNullList) {
                EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
            }
            way.push_back({c.path.substr(0, end == 2 ? 3 : end), descriptor, sddl != kMissing, way.size() == c.link && c.link});
        }
        const io::Redirection found = io::findRedirection(way, self, c.content);
        EXPECT_EQ(c.at, found.path) << c.why << ": " << found.why;
        EXPECT_NE(std::string::npos, found.why.find(c.how)) << c.why << ": " << found.why;
        for (const io::WayEntry& entry : way) LocalFree(entry.descriptor == &nullList ? nullptr : entry.descriptor);
    }
    LocalFree(self);
}

// The restart and the loader pass through where a link on the way leads,
// not where it is spelled: the final path's way is read too.
TEST(RedirectionTest, TheFinalPathsWayIsReadToo) {
    ScratchDirectory scratch;
    scratch.makeDirectory("prot\\Vantrel");
    const std::string file = scratch.write("prot\\Vantrel\\ws2_32.dll", "MZ");
    scratch.makeDirectory("pub\\Vantrel");
    PSECURITY_DESCRIPTOR everyone = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;FA;;;WD)", SDDL_REVISION_1, &everyone, nullptr);
    SetFileSecurityA(scratch.path("pub").c_str(), DACL_SECURITY_INFORMATION, everyone);
    LocalFree(everyone);
    const io::FileCalls linked = finalPathIs("\\\\?\\" + scratch.path("pub\\Vantrel\\ws2_32.dll"));
    EXPECT_EQ("", io::whoMayRedirect(file, false).path);
    EXPECT_EQ(scratch.path("pub\\Vantrel"), io::whoMayRedirect(file, false, linked).path);
}

}  // namespace
