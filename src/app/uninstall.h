// The uninstall itself: find the configuration file and the tracer DLL,
// warn before touching the system directory, delete both; when the DLL is
// in use, switch tracing off in the configuration file instead. Its
// question and its changes are the caller's, so that a dry run walks the
// very same steps with every change withheld.
#ifndef VANTREL_APP_UNINSTALL_H_
#define VANTREL_APP_UNINSTALL_H_

#include <windows.h>

#include <string>

#include "app/product_files.h"
#include "exceptions/exception.h"
#include "system/found_file.h"

namespace vantrel {
namespace uninstall {

// The configuration file could not be deleted; carries the system's reason.
class ConfigFileDeletionException : public exceptions::Exception {
public:
    explicit ConfigFileDeletionException(const std::string& message) : exceptions::Exception(message) {}
};

// The tracer DLL could not be deleted; carries the system's reason, the
// configuration file's full path when tracing could not be switched off in
// it, and the format error that kept it from being read, if that was why.
class DllDeletionException : public exceptions::Exception {
public:
    DllDeletionException(const std::string& message, const std::string& unsavedConfigPath,
                         const std::string& configError = "");

    // "" when the configuration file was rewritten.
    const std::string& getUnsavedConfigPath() const;

    // "" unless the configuration file was malformed.
    const std::string& getConfigError() const;

private:
    std::string unsavedConfigPath;
    std::string configError;
};

// The user declined to delete a DLL from the system directory.
class UserCancelException : public exceptions::Exception {
public:
    explicit UserCancelException(const std::string& message) : exceptions::Exception(message) {}
};

// What the procedure asks and changes. The uninstaller's own ask the user
// and change the files; a dry run's answer by its policy and only check
// and tell what a change would do.
class Steps {
public:
    virtual ~Steps() = default;
    // Told each file the search found, before any question or change.
    virtual void found(const std::string& name, const std::string& path) = 0;
    // Whether the DLL may be deleted; the question is the warning when it
    // lies in a Windows system folder.
    virtual bool mayDeleteDll(const std::string& dllPath, bool inSystemFolder) = 0;
    // Clears the file's read-only, hidden and system attributes.
    virtual void resetAttributes(io::FoundFile& file) = 0;
    // Puts back the attributes the file had when it was found, where the
    // change they were cleared for did not come.
    virtual void restoreAttributes(io::FoundFile& file) = 0;
    // Deletes the file: 0, or the system's code of why it cannot be.
    virtual DWORD remove(io::FoundFile& file) = 0;
    // Makes `bytes` the configuration file's content: false when it cannot.
    virtual bool save(io::FoundFile& config, const std::string& bytes) = 0;
};

// Removes both files, searching as the uninstaller started in `startedIn`
// does (Helpers::findFile's); returns only when both are deleted, throws
// otherwise.
void performUninstall(Steps& steps, const std::string& startedIn = "");

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_UNINSTALL_H_
