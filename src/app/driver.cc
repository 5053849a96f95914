#include "app/driver.h"

#include <windows.h>

#include "app/constants.h"
#include "app/message_dialog.h"
#include "app/uninstall.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/helpers.h"
#include "system/io.h"
#include "system/save.h"

namespace vantrel {
namespace uninstall {

namespace {

// The uninstaller's own steps: the user answers, the files change.
class Uninstaller : public Steps {
public:
    void found(const std::string&, const std::string&) override {}

    bool mayDeleteDll(const std::string& dllPath, bool inSystemFolder) override {
        if (!inSystemFolder) return true;
        const std::string warning =
            "Uninstall will remove the " + PRODUCT_NAME + " dll.\nUninstall found: " + dllPath + "\n" +
            "This file resides in the system directory.\nIf you proceed, uninstall will delete the "
            "file.\n\nDo you want to continue ?";
        // No is the default: Enter pressed out of habit must not delete a
        // file of Windows.
        return MessageBoxA(nullptr, warning.c_str(), "Uninstall", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDNO;
    }

    void resetAttributes(FoundFile& file) override { file.resetAttributes(); }
    void restoreAttributes(FoundFile& file) override { file.restoreAttributes(); }
    DWORD remove(FoundFile& file) override { return file.remove(); }
    bool save(FoundFile& config, const std::string& bytes) override { return io::saveFile(config, bytes); }
};

}  // namespace

Outcome outcomeOf(std::exception_ptr ended, const std::string& applicationFileName) {
    const int failed = ERROR_INSTALL_FAILURE;
    const std::string parseErrorText = "An error occured when parsing the config file. \nError message: ";
    if (!ended)
        return {Outcome::Success,
                PRODUCT_NAME + " was successfully uninstalled.\nPlease remove the " + applicationFileName + " file.",
                ERROR_SUCCESS};
    try {
        std::rethrow_exception(ended);
    } catch (const UserCancelException&) {
        return {Outcome::Error, "Uninstall was canceled by user.", ERROR_INSTALL_USEREXIT};
    } catch (const DllDeletionException& e) {
        const std::string& unsaved = e.getUnsavedConfigPath();
        const std::string reboot =
            "Couldn't delete the tracer dll, it may be in use.\nPlease reboot and run uninstall.exe again.\n" +
            (unsaved.empty() ? std::string()
                             : "Tracing could not be switched off in " + unsaved +
                                   ".\nPlease set TRACE_ENABLED to 0 in this file before you reboot.\n");
        if (!e.getConfigError().empty())
            return {Outcome::Error, parseErrorText + e.getConfigError() + "\n" + reboot, failed};
        return {Outcome::Information, reboot, unsaved.empty() ? ERROR_SUCCESS_REBOOT_REQUIRED : failed};
    } catch (const ConfigFileDeletionException& e) {
        return {Outcome::Information,
                "Unable to complete uninstall. Reason: \nCouldn't delete the " + CONFIG_FILE_NAME +
                    " file.\nPlease delete this file manually.\nError message: " + e.getMessage(),
                failed};
    } catch (const io::IOException& e) {
        // Only a search that found nothing by that name means the product
        // is not there.
        const auto* notFound = dynamic_cast<const io::FileNotFoundException*>(&e);
        return {Outcome::Error, "Couldn't find one of the required files. \nError message: " + e.getMessage(),
                notFound && !notFound->isPresentButUnopenable() ? ERROR_UNKNOWN_PRODUCT : failed};
    } catch (const util::Config::ConfigException& e) {
        return {Outcome::Error, parseErrorText + e.getMessage(), failed};
    } catch (const util::parser::CommandLineConverterException& e) {
        return {Outcome::Error, "An error occured when getting the command line. \nError message: " + e.getMessage(),
                failed};
    } catch (const exceptions::Exception& e) {
        return {Outcome::Error, "An error occured.\nError message: " + e.getMessage(), failed};
    } catch (...) {
        return {Outcome::Error, "An unknown error occured.\nPlease contact Corvane.\n", failed};
    }
}

int runUninstaller() {
    Helpers::guardElevatedProcess();
    std::exception_ptr ended;
    std::string applicationFileName;
    try {
        const std::string question = confirmationQuestion();
        if (MessageBoxA(nullptr, question.c_str(), "Uninstall", MB_YESNO | MB_ICONQUESTION) != IDYES)
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
    MessageDialog dialog("Uninstall");
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
