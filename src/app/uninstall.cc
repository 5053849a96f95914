#include "app/uninstall.h"

#include <windows.h>

#include "app/constants.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/decimal.h"
#include "system/helpers.h"
#include "system/io.h"

namespace vantrel {
namespace uninstall {

namespace {

void warnAboutSystemDirectory(const std::string& dllPath) {
    const std::string warning =
        "Uninstall will remove the " + PRODUCT_NAME + " dll.\nUninstall found: " + dllPath +
        "\n" +
        "This file resides in the system directory.\nIf you proceed, uninstall will delete the "
        "file.\n\nDo you want to continue ?";
    // No is the default: Enter pressed out of habit must not delete a file
    // of Windows.
    if (MessageBoxA(nullptr, warning.c_str(), "Uninstall",
                    MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDNO)
        throw UserCancelException("");
}

// Keeps the product from tracing after the reboot that frees the DLL;
// false when the file could not be written.
bool disableTracing(const std::string& configPath) {
    util::Config config(configPath, true);
    {
        util::MutexLock lock(config.getMutex());
        config.setValue(KEY_TRACE_ENABLED, util::toDecimal(0));
    }
    return config.save(configPath);
}

}  // namespace

DllDeletionException::DllDeletionException(const std::string& message,
                                           const std::string& unsavedConfigPath)
    : exceptions::Exception(message), unsavedConfigPath(unsavedConfigPath) {}

const std::string& DllDeletionException::getUnsavedConfigPath() const { return unsavedConfigPath; }

void performUninstall() {
    const std::string configPath = Helpers::findFile(CONFIG_FILE_NAME);
    const std::string dllPath = findTracerDll();
    if (liesInASystemDirectory(dllPath)) warnAboutSystemDirectory(dllPath);
    // Right before the first change, on the very paths that are changed.
    Helpers::checkNotLinked(configPath);
    Helpers::checkNotLinked(dllPath);

    SetFileAttributesA(configPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(dllPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    try {
        Helpers::deleteFile(dllPath);
    } catch (const io::IOException& e) {
        const bool saved = disableTracing(configPath);
        throw DllDeletionException(e.getMessage(), saved ? "" : Helpers::getFullPath(configPath));
    }
    try {
        Helpers::deleteFile(configPath);
    } catch (const io::IOException& e) {
        throw ConfigFileDeletionException(e.getMessage());
    }
}

}  // namespace uninstall
}  // namespace vantrel
