// Who may change a file or a folder, read from its security descriptor: the
// test whether a standard user could replace what an elevated program runs,
// or redirect a path that it leaves for later (a deletion at the restart).
#ifndef VANTREL_SYSTEM_SECURITY_H_
#define VANTREL_SYSTEM_SECURITY_H_

#include <windows.h>

#include <string>

// Whether `descriptor` lets an account other than the administrators,
// SYSTEM, TrustedInstaller and `self` change what it guards: own it, or be
// granted the right to write, add to, delete, rename, or change its
// security or owner. Deny entries grant nothing, inherit-only entries do
// not apply, and a missing list of entries grants everyone everything.
bool othersMayChange(PSECURITY_DESCRIPTOR descriptor, PSID self);

// The first of `path` and the folders above it that others may change, by
// the test above, or whose descriptor cannot be read; "" when there is none.
std::string changeableByOthers(const std::string& path);

#endif  // VANTREL_SYSTEM_SECURITY_H_
