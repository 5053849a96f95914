// The uninstaller's conversation with the user: the confirmation, the
// uninstall, and one dialog for its outcome.
#ifndef VANTREL_APP_DRIVER_H_
#define VANTREL_APP_DRIVER_H_

namespace vantrel {
namespace uninstall {

// Runs one uninstall attempt with its dialogs; never throws. Returns the
// outcome as Windows Installer's exit codes, which deployment tools read:
// 0 done, 3010 done after a reboot, 1602 cancelled, 1605 a file not found,
// 1603 failed.
int runUninstaller();

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_DRIVER_H_
