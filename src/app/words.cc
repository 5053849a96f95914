#include "app/words.h"

#include "app/constants.h"

namespace vantrel {
namespace uninstall {

namespace {

const char kWarnedLabel[] = "Uninstall found: ";

}  // namespace

const char kCaption[] = "Uninstall";

std::string confirmationQuestion() { return "Are you sure you want to uninstall " + PRODUCT_NAME + " ?"; }

std::string systemFolderWarning(const std::string& dllPath) {
    return "Uninstall will remove the " + PRODUCT_NAME + " dll.\n" + kWarnedLabel + dllPath +
           "\nThis file resides in the system directory.\nIf you proceed, uninstall will delete the file.\n\n"
           "Do you want to continue ?";
}

std::string warnedPath(const std::string& warning) {
    const std::size_t start = warning.find(kWarnedLabel);
    if (start == std::string::npos) return "";
    const std::size_t path = start + sizeof kWarnedLabel - 1;
    return warning.substr(path, warning.find('\n', start) - path);
}

std::string uninstalled(const std::string& applicationFileName) {
    return PRODUCT_NAME + " was successfully uninstalled.\nPlease remove the " + applicationFileName + " file.";
}

std::string cancelled() { return "Uninstall was canceled by user."; }

std::string rebootAndRunAgain(const std::string& unsavedConfigPath) {
    return "Couldn't delete the tracer dll, it may be in use.\nPlease reboot and run uninstall.exe again.\n" +
           (unsavedConfigPath.empty() ? std::string()
                                      : "Tracing could not be switched off in " + unsavedConfigPath +
                                            ".\nPlease set TRACE_ENABLED to 0 in this file before you reboot.\n");
}

std::string configMalformed(const std::string& why) {
    return "An error occured when parsing the config file. \nError message: " + why;
}

std::string configNotDeleted(const std::string& why) {
    return "Unable to complete uninstall. Reason: \nCouldn't delete the " + CONFIG_FILE_NAME +
           " file.\nPlease delete this file manually.\nError message: " + why;
}

std::string fileNotFound(const std::string& why) {
    return "Couldn't find one of the required files. \nError message: " + why;
}

std::string commandLineUnreadable(const std::string& why) {
    return "An error occured when getting the command line. \nError message: " + why;
}

std::string failed(const std::string& why) { return "An error occured.\nError message: " + why; }

std::string failedUnknown() { return "An unknown error occured.\nPlease contact Corvane.\n"; }

}  // namespace uninstall
}  // namespace vantrel
