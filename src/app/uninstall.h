// The uninstall itself: find the configuration file and the tracer DLL,
// warn before touching the system directory, delete both; when the DLL is
// in use, switch tracing off in the configuration file instead.
#ifndef VANTREL_APP_UNINSTALL_H_
#define VANTREL_APP_UNINSTALL_H_

#include <string>

#include "app/product_files.h"
#include "exceptions/exception.h"

namespace vantrel {
namespace uninstall {

// The configuration file could not be deleted; carries the system's reason.
class ConfigFileDeletionException : public exceptions::Exception {
public:
    explicit ConfigFileDeletionException(const std::string& message) : exceptions::Exception(message) {}
};

// The tracer DLL could not be deleted; carries the system's reason, and the
// configuration file's full path when tracing could not be switched off in it.
class DllDeletionException : public exceptions::Exception {
public:
    DllDeletionException(const std::string& message, const std::string& unsavedConfigPath);

    // "" when the configuration file was rewritten.
    const std::string& getUnsavedConfigPath() const;

private:
    std::string unsavedConfigPath;
};

// The user declined to delete a DLL from the system directory.
class UserCancelException : public exceptions::Exception {
public:
    explicit UserCancelException(const std::string& message) : exceptions::Exception(message) {}
};

// Removes both files; returns only when both are deleted, throws otherwise.
void performUninstall();

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_UNINSTALL_H_
