#include "unattended/what_if.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "app/constants.h"
#include "app/driver.h"
#include "app/uninstall.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "exceptions/exception.h"
#include "system/helpers.h"
#include "system/io.h"
#include "system/save.h"
#include "unattended/holders.h"
#include "unattended/restart.h"

namespace {

// `text` with its environment variables (%SystemRoot%) expanded, as a
// reader of the value may expand them; `text` itself where it cannot be.
std::string expanded(const std::string& text) {
    std::vector<char> buffer(text.size() + MAX_PATH);
    for (;;) {
        const DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return text;
        if (length <= buffer.size()) return buffer.data();
        buffer.resize(length);
    }
}

// The configuration file, found from `programDirectory`, that names the
// very file `dllPath` as SYSTEM_DLL, however a reader could spell or read
// it; "" when there is none.
std::string systemLibraryConfiguredBy(const std::string& programDirectory, const std::string& dllPath) {
    try {
        const std::string configPath = Helpers::findFile(CONFIG_FILE_NAME, programDirectory);
        std::uint32_t length = 0;
        std::unique_ptr<char[]> bytes(io::loadFile(configPath, length));
        for (const std::string& named : util::readValuesLeniently(bytes ? std::string(bytes.get(), length) : "", "SYSTEM_DLL"))
            if (!named.empty() && Helpers::isSameFile(expanded(named), dllPath)) return configPath;
    } catch (const exceptions::Exception&) {
        // No configuration to tell (or one too large to load): the option
        // alone decides.
    } catch (const std::exception&) {
        // Or none that fits in memory.
    }
    return "";
}

// The procedure's steps as the runner answers them, each change only
// checked, through the same handles a real change uses, and told.
class WhatIf : public vantrel::uninstall::Steps {
public:
    WhatIf(const std::string& programDirectory, bool allowSystemFolder, std::string& report)
        : programDirectory(programDirectory), allowSystemFolder(allowSystemFolder), report(report) {}

    void say(const std::string& line) { report += line + "\n"; }

    void found(const std::string& name, const std::string& path) override { say(name + ": " + path); }

    bool mayDeleteDll(const std::string& dllPath, bool inSystemFolder) override {
        if (!inSystemFolder) {
            say(TRACER_DLL_NAME + ": not in a Windows system folder");
            return true;
        }
        std::string refusal;
        const bool yes = answerSystemFolderWarning(programDirectory, dllPath, allowSystemFolder, refusal);
        say(!refusal.empty() ? refusal
                             : TRACER_DLL_NAME + ": in a Windows system folder; the warning would be answered " +
                                   (yes ? "Yes (--allow-system-folder)" : "No (no --allow-system-folder)"));
        return yes;
    }

    // A real run clears the attributes first; what they keep from a change
    // is told by the checks that follow.
    void resetAttributes(FoundFile&) override {}
    void restoreAttributes(FoundFile&) override {}

    DWORD remove(FoundFile& file) override {
        const DWORD error = file.deleteError();
        if (file.name() != TRACER_DLL_NAME) {
            say(CONFIG_FILE_NAME + (error == 0 ? ": can be deleted" : ": cannot be deleted. " + reasonFor(error)));
            return error;
        }
        // A program that loaded the DLL keeps it from being deleted on
        // Windows, though it opens for deleting: no handle can tell that.
        const std::vector<Holder> holders = findHolders(file.path());
        if (holders.empty() && error == 0) {
            say(TRACER_DLL_NAME + ": not in use: no program has it loaded, and it opens for deleting");
            return 0;
        }
        if (error != 0)
            say(TRACER_DLL_NAME + (error == ERROR_SHARING_VIOLATION ? ": in use" : ": cannot be deleted") +
                ": it does not open for deleting. " + reasonFor(error));
        else
            say(TRACER_DLL_NAME + ": in use: a program has it loaded");
        say(describeHolders(TRACER_DLL_NAME, holders));
        return error != 0 ? error : ERROR_ACCESS_DENIED;
    }

    bool save(FoundFile& config, const std::string& bytes) override {
        bool unknown = false;
        const char* way = io::foreseeSave(config, bytes.size(), unknown);
        if (way)
            say(CONFIG_FILE_NAME + ": tracing can be switched off in it; it would be " + way);
        else
            say(CONFIG_FILE_NAME + ": tracing cannot be switched off in it: it cannot be written in place" +
                (unknown ? " (whether a program holds it against writing is unknown: it is read-only, and a real run "
                           "clears that first; the worse outcome is foretold)"
                         : ""));
        return way != nullptr;
    }

private:
    const std::string programDirectory;
    const bool allowSystemFolder;
    std::string& report;
};

}  // namespace

bool answerSystemFolderWarning(const std::string& programDirectory, const std::string& dllPath, bool allowed,
                               std::string& refusal) {
    const std::string configPath = systemLibraryConfiguredBy(programDirectory, dllPath);
    if (configPath.empty()) return allowed;
    refusal = dllPath + " is the library that SYSTEM_DLL in " + configPath +
              " names, Windows' own, so the warning is answered No: the tracer's DLL is already gone; delete " +
              configPath + " by hand";
    return false;
}

const char* outcomeInWords(DWORD status) {
    switch (status) {
    case ERROR_SUCCESS: return "both files deleted";
    case ERROR_SUCCESS_REBOOT_REQUIRED: return "the DLL is in use: tracing switched off, reboot and run again";
    case ERROR_INSTALL_USEREXIT: return "cancelled at the system-folder warning";
    case ERROR_UNKNOWN_PRODUCT: return "a required file is in none of the searched places";
    case ERROR_INSTALL_FAILURE: return "failed";
    default: return "the uninstaller cannot be started";
    }
}

Forecast forecastUninstall(const std::string& program, bool allowSystemFolder) {
    const std::string directory = getPathDirectory(program);
    Forecast result{{}, ERROR_INSTALL_FAILURE};
    WhatIf steps(directory, allowSystemFolder, result.report);
    std::exception_ptr ended;
    try {
        vantrel::uninstall::performUninstall(steps, directory);
    } catch (...) {
        ended = std::current_exception();
    }
    const vantrel::uninstall::Outcome outcome = vantrel::uninstall::outcomeOf(ended, getPathFileName(program));
    result.status = static_cast<DWORD>(outcome.status);
    if (outcome.status == ERROR_SUCCESS_REBOOT_REQUIRED)
        steps.say(withoutLineBreaks(scheduleRemoval(directory, true)));
    else if (outcome.status != ERROR_SUCCESS)
        steps.say("the uninstaller would show: " + withoutLineBreaks(outcome.text));
    steps.say("a real run can still differ: a program may load the DLL or open or change either file after this check");
    return result;
}
