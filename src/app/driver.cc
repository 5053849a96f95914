#include "app/driver.h"

#include <windows.h>

#include "app/message_dialog.h"
#include "app/uninstall.h"
#include "app/words.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/helpers.h"
#include "system/io.h"
#include "system/save.h"
#include "system/windows_folders.h"

namespace vantrel {
namespace uninstall {

namespace {

// The uninstaller's own steps: the user answers, the files change.
class Uninstaller : public Steps {
public:
    void found(const std::string&, const std::string&) override {}

    bool mayDeleteDll(const std::string& dllPath, bool inSystemFolder) override {
        if (!inSystemFolder) return true;
        // No is the default: Enter pressed out of habit must not delete a
        // file of Windows.
        return MessageBoxA(nullptr, systemFolderWarning(dllPath).c_str(), kCaption,
                           MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDNO;
    }

    void resetAttributes(io::FoundFile& file) override { file.resetAttributes(); }
    void restoreAttributes(io::FoundFile& file) override { file.restoreAttributes(); }
    DWORD remove(io::FoundFile& file) override { return file.remove(); }
    bool save(io::FoundFile& config, const std::string& bytes) override { return io::saveFile(config, bytes); }
};

}  // namespace

Outcome outcomeOf(std::exception_ptr ended, const std::string& applicationFileName) {
    const int failedStatus = ERROR_INSTALL_FAILURE;
    if (!ended) return {Outcome::Success, uninstalled(applicationFileName), ERROR_SUCCESS};
    try {
        std::rethrow_exception(ended);
    } catch (const UserCancelException&) {
        return {Outcome::Error, cancelled(), ERROR_INSTALL_USEREXIT};
    } catch (const DllDeletionException& e) {
        const std::string& unsaved = e.getUnsavedConfigPath();
        const std::string reboot = rebootAndRunAgain(unsaved);
        if (!e.getConfigError().empty())
            return {Outcome::Error, configMalformed(e.getConfigError()) + "\n" + reboot, failedStatus};
        return {Outcome::Information, reboot, unsaved.empty() ? ERROR_SUCCESS_REBOOT_REQUIRED : failedStatus};
    } catch (const ConfigFileDeletionException& e) {
        return {Outcome::Information, configNotDeleted(e.getMessage()), failedStatus};
    } catch (const io::FileNotFoundException& e) {
        // Only where nothing of the product is left is it not there.
        return {Outcome::Error, fileNotFound(e.getMessage()), e.productRemains() ? failedStatus : ERROR_UNKNOWN_PRODUCT};
    } catch (const io::IOException& e) {
        return {Outcome::Error, fileNotFound(e.getMessage()), failedStatus};
    } catch (const util::Config::ConfigException& e) {
        return {Outcome::Error, configMalformed(e.getMessage()), failedStatus};
    } catch (const util::parser::CommandLineConverterException& e) {
        return {Outcome::Error, commandLineUnreadable(e.getMessage()), failedStatus};
    } catch (const exceptions::Exception& e) {
        return {Outcome::Error, failed(e.getMessage()), failedStatus};
    } catch (...) {
        return {Outcome::Error, failedUnknown(), failedStatus};
    }
}

int runUninstaller() {
    io::guardElevatedProcess();
    std::exception_ptr ended;
    std::string applicationFileName;
    try {
        if (MessageBoxA(nullptr, confirmationQuestion().c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return ERROR_INSTALL_USEREXIT;
        // Taken before anything is deleted, so that a failure here leaves
        // every file in place.
        applicationFileName = util::parser::CommandLineConverter(GetCommandLineA()).getApplicationFileName();
        Uninstaller steps;
        performUninstall(steps);
    } catch (...) {
        ended = std::current_exception();
    }
    const Outcome outcome = outcomeOf(ended, applicationFileName);
    MessageDialog dialog(kCaption);
    if (outcome.kind == Outcome::Success)
        dialog.showSuccess(outcome.text);
    else if (outcome.kind == Outcome::Information)
        dialog.showInformation(outcome.text);
    else
        dialog.showError(outcome.text);
    return outcome.status;
}

}  // namespace uninstall
}  // namespace vantrel
