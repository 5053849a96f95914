#include "app/driver.h"

#include <windows.h>

#include "app/constants.h"
#include "app/message_dialog.h"
#include "app/uninstall.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/helpers.h"
#include "system/io.h"

namespace vantrel {
namespace uninstall {

int runUninstaller() {
    Helpers::guardElevatedProcess();
    MessageDialog dialog("Uninstall");
    try {
        const std::string question = confirmationQuestion();
        if (MessageBoxA(nullptr, question.c_str(), "Uninstall", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return ERROR_INSTALL_USEREXIT;
        util::parser::CommandLineConverter converter(GetCommandLineA());
        // Taken before anything is deleted, so that a failure here leaves
        // every file in place.
        const std::string applicationFileName = converter.getApplicationFileName();
        performUninstall();
        dialog.showSuccess(PRODUCT_NAME + " was successfully uninstalled.\nPlease remove the " +
                           applicationFileName + " file.");
        return ERROR_SUCCESS;
    } catch (const UserCancelException&) {
        dialog.showError("Uninstall was canceled by user.");
        return ERROR_INSTALL_USEREXIT;
    } catch (const DllDeletionException& e) {
        const std::string& unsaved = e.getUnsavedConfigPath();
        dialog.showInformation(
            "Couldn't delete the tracer dll, it may be in use.\nPlease reboot and run "
            "uninstall.exe again.\n" +
            (unsaved.empty() ? std::string()
                             : "Tracing could not be switched off in " + unsaved +
                                   ".\nPlease set TRACE_ENABLED to 0 in this file before you "
                                   "reboot.\n"));
        return unsaved.empty() ? ERROR_SUCCESS_REBOOT_REQUIRED : ERROR_INSTALL_FAILURE;
    } catch (const ConfigFileDeletionException& e) {
        dialog.showInformation("Unable to complete uninstall. Reason: \nCouldn't delete the " +
                               CONFIG_FILE_NAME +
                               " file.\nPlease delete this file manually.\nError message: " +
                               e.getMessage());
        return ERROR_INSTALL_FAILURE;
    } catch (const io::IOException& e) {
        dialog.showError("Couldn't find one of the required files. \nError message: " +
                         e.getMessage());
        // Only a search that found nothing by that name means the product
        // is not there.
        const auto* notFound = dynamic_cast<const io::FileNotFoundException*>(&e);
        return notFound && !notFound->isPresentButUnopenable() ? ERROR_UNKNOWN_PRODUCT
                                                               : ERROR_INSTALL_FAILURE;
    } catch (const util::Config::ConfigException& e) {
        dialog.showError("An error occured when parsing the config file. \nError message: " +
                         e.getMessage());
    } catch (const util::parser::CommandLineConverterException& e) {
        dialog.showError("An error occured when getting the command line. \nError message: " +
                         e.getMessage());
    } catch (const exceptions::Exception& e) {
        dialog.showError("An error occured.\nError message: " + e.getMessage());
    } catch (...) {
        dialog.showError("An unknown error occured.\nPlease contact Corvane.\n");
    }
    return ERROR_INSTALL_FAILURE;
}

}  // namespace uninstall
}  // namespace vantrel
