#include "system/security.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "tools/test_support.h"

namespace {

// Who may change a folder, by its descriptor (in SDDL); this process's
// account is S-1-5-21-1-2-3-1001 here.
TEST(SecurityTest, OnlyAdministratorsSystemAndTheProcessMayChangeATrustedFolder) {
    const struct { const char* why; const char* descriptor; bool othersMay; } cases[] = {
        {"everyone may read", "O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;WD)", false},
        {"everyone may change", "O:BAD:(A;;FA;;;BA)(A;;0x1301ff;;;WD)", true},
        {"an inherited entry applies", "O:BAD:(A;ID;FA;;;BU)", true},
        {"an inherit-only entry does not", "O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;BU)", false},
        {"a deny entry grants nothing", "O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", false},
        {"owned by users", "O:BUD:(A;;FA;;;BA)", true},
        {"the process's own account", "O:S-1-5-21-1-2-3-1001D:(A;;FA;;;S-1-5-21-1-2-3-1001)", false},
        {"TrustedInstaller",
         "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;S-1-5-80-956008885-3418522649-"
         "1831038044-1853292631-2271478464)",
         false},
        {"no list of entries", "O:BA", true},
    };
    PSID self = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidA("S-1-5-21-1-2-3-1001", &self));
    for (const auto& c : cases) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(c.descriptor, SDDL_REVISION_1, &descriptor,
                                                                         nullptr)) << c.why;
        EXPECT_EQ(c.othersMay, othersMayChange(descriptor, self)) << c.why;
        LocalFree(descriptor);
    }
    LocalFree(self);
    // A descriptor that cannot be read counts as one that others may change.
    ScratchDirectory scratch;
    EXPECT_EQ(scratch.path("missing"), changeableByOthers(scratch.path("missing")));
    EXPECT_EQ("", changeableByOthers(scratch.directory()));
}

}  // namespace
