// Who could redirect what an elevated program reaches by a path, read from
// the security descriptors on the path's way: whether a standard user could
// replace what the runner starts or loads, or redirect a deletion left for
// the restart.
#ifndef VANTREL_SYSTEM_SECURITY_H_
#define VANTREL_SYSTEM_SECURITY_H_

#include <windows.h>

#include <string>
#include <vector>

#include "system/helpers.h"
#include "system/paths.h"

namespace io {

// One entry on a path's way, from the top (a drive's root or a share) down:
// its path and its descriptor, null where it cannot be read; the last entry
// may be missing.
struct WayEntry {
    std::string path;
    PSECURITY_DESCRIPTOR descriptor;
    bool present = true;
    bool link = false;  // a symbolic link or a junction, read as itself
};

// How a standard user could redirect a path: the entry through which, and
// who may do what there, in words. An empty `path`: nobody could.
struct Redirection {
    std::string path, why;
};

// How an account other than the administrators, SYSTEM, TrustedInstaller
// and `self` could redirect the last entry of `way`: by changing everything
// under an entry (owning it, or changing its permissions or owner), by
// taking an entry's place (deleting or renaming it, or deleting from its
// folder, and adding to that folder), by retargeting a link on the way
// (which takes only the right to write its data or its attributes), and
// with `content` by writing to the
// last entry itself, or plant it where it is missing. A right only to add
// entries replaces nothing that is there. Generic rights count as the file
// system maps them, inherit-only entries do not apply, deny entries are not
// subtracted, no list of entries grants everyone everything, and an
// unreadable descriptor counts as one that may.
Redirection findRedirection(const std::vector<WayEntry>& way, PSID self, bool content);

// The same for `path` on this machine, along its way as spelled and along
// its final path's as `calls` tell it (where a link on the way leads), each
// entry read as itself, never through a link. `self` is this
// process's account: an administrator's unelevated programs run as the
// same account, and Windows does not hold that line as a security boundary.
Redirection whoMayRedirect(const std::string& path, bool content, const FileCalls& calls = platformFileCalls());


}  // namespace io

#endif  // VANTREL_SYSTEM_SECURITY_H_
