// The product's entry in Apps & Features (the Uninstall key), which winget,
// Chocolatey and Ansible find it by: removed with the product, so that no
// entry of a removed product is left behind.
#ifndef VANTREL_UNATTENDED_REGISTRATION_H_
#define VANTREL_UNATTENDED_REGISTRATION_H_

#include <string>

#include "unattended/mode.h"

namespace unattended {

// Where the installer registers the product, under HKEY_LOCAL_MACHINE.
extern const char kRegistrationKey[];

// Removes the entry in each registry view (a 32-bit installer's, in
// WOW6432Node on 64-bit Windows, and the 64-bit one) whose InstallLocation
// is `productFolder` (the same folder by identity), or in Mode::Check
// says it would; an entry that names another folder is kept. A line for
// each entry there is; none where there is none.
std::string removeRegistration(const std::string& productFolder, Mode mode);

// Whether an entry in either view names `folder` as the product's, by
// identity.
bool registeredAt(const std::string& folder);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_REGISTRATION_H_
