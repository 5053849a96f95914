// The uninstaller's conversation with the user: the confirmation, the
// uninstall, and one dialog for its outcome.
#ifndef VANTREL_APP_DRIVER_H_
#define VANTREL_APP_DRIVER_H_

namespace vantrel {
namespace uninstall {

// Runs one uninstall attempt with its dialogs; never throws.
void runUninstaller();

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_DRIVER_H_
