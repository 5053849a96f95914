// The uninstaller's conversation with the user: the confirmation, the
// uninstall, and one dialog for its outcome; and how an outcome maps to its
// dialog and exit status, which the dry run shares.
#ifndef VANTREL_APP_DRIVER_H_
#define VANTREL_APP_DRIVER_H_

#include <exception>
#include <string>

namespace vantrel {
namespace uninstall {

// Runs one uninstall attempt with its dialogs; never throws. Returns the
// outcome as Windows Installer's exit codes, which deployment tools read:
// 0 done, 3010 done after a reboot, 1602 cancelled, 1605 a file not found,
// 1603 failed.
int runUninstaller();

// How an uninstall ends: the one dialog it shows, and its exit status.
struct Outcome {
    enum Kind { Success, Error, Information } kind;
    std::string text;
    int status;
};

// The outcome of a procedure that threw `ended`, or, when null, removed
// both files; `applicationFileName` is named in the success message.
Outcome outcomeOf(std::exception_ptr ended, const std::string& applicationFileName);

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_DRIVER_H_
