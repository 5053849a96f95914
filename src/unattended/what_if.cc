#include "unattended/what_if.h"

#include <exception>
#include <string>
#include <vector>

#include "app/constants.h"
#include "app/product_files.h"
#include "exceptions/exception.h"
#include "config/config.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/io.h"
#include "unattended/holders.h"
#include "unattended/restart.h"

namespace {

const DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// 0 when `path` opens with that access and sharing, else the system's code.
DWORD openError(const std::string& path, DWORD access, DWORD sharing = kAllSharing,
                DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    ScopedHandle file(CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, flags, nullptr));
    return file.valid() ? 0 : GetLastError();
}

bool isReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// The text without its trailing line breaks, to end a line of its own.
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string reason(DWORD error) { return trimmed(Helpers::getErrorMessage(static_cast<int>(error))); }

const char kSystemDllKey[] = "SYSTEM_DLL";

// The save's system calls with their checks and without their writes, so
// that io::saveFile takes the very decisions of a real save. What the
// checks could not tell is noted here.
struct SaveCheck {
    const char* way = nullptr;  // "replaced" or "written in place"
    bool unknown = false;  // the in-place write's check could not tell
    std::vector<std::string> madeUp;  // the names of files a real save would make
};
SaveCheck saveCheck;

std::string checkCreateBeside(const std::string& path, const char* kind) {
    // A new file needs the right to add one to the folder.
    const std::string folder = path.substr(0, path.rfind('\\') + 1);
    if (openError(folder, FILE_ADD_FILE, kAllSharing, FILE_FLAG_BACKUP_SEMANTICS) != 0) return "";
    // A name nobody has: the save removes it as its own leftover.
    for (unsigned attempt = 0;; ++attempt) {
        const std::string name = path + ".what-if" + std::to_string(attempt) + "." + kind;
        if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        saveCheck.madeUp.push_back(name);
        return name;
    }
}

bool checkOverwrite(const std::string& path, const std::string&) {
    for (const std::string& name : saveCheck.madeUp)
        if (name == path) return true;
    // A real run clears the attribute first; with it, the open cannot tell,
    // and the worse outcome is taken.
    if (isReadOnly(path)) {
        saveCheck.unknown = true;
        return false;
    }
    if (openError(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE) != 0) return false;
    saveCheck.way = "written in place";
    return true;
}

unsigned long checkReplace(const std::string&, const std::string& target) {
    const DWORD error = openError(target, DELETE);
    if (error == 0) saveCheck.way = "replaced";
    return error;
}

const io::SaveCalls kCheckOnly = {checkCreateBeside, checkOverwrite, checkReplace};

}  // namespace

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

std::string systemLibraryConfiguredBy(const std::string& programDirectory, const std::string& dllPath) {
    try {
        const std::string configPath = Helpers::findFile(CONFIG_FILE_NAME, programDirectory);
        util::Config config(configPath, false);
        const std::string named = config.getValue(kSystemDllKey);
        if (!named.empty() && Helpers::isSameFile(named, dllPath)) return configPath;
    } catch (const exceptions::Exception&) {
        // No configuration to tell: the option alone decides.
    }
    return "";
}

std::string systemLibraryRefusal(const std::string& dllPath, const std::string& configPath) {
    return dllPath + " is the library that SYSTEM_DLL in " + configPath +
           " names, Windows' own, so the warning is answered No: the tracer's DLL is already gone; delete " +
           configPath + " by hand";
}

namespace {

// The forecast, step by step as a real run goes; what it checked and found
// is said in `say`. Throws what an unforeseen failure throws.
DWORD forecast(const std::string& programDirectory, bool allowSystemFolder, std::string& report) {
    auto say = [&](const std::string& line) { report += line + "\n"; };
    std::string paths[2];
    const std::string* names[2] = {&CONFIG_FILE_NAME, &TRACER_DLL_NAME};
    for (int i = 0; i < 2; ++i) {
        try {
            paths[i] = i == 0 ? Helpers::findFile(CONFIG_FILE_NAME, programDirectory)
                              : vantrel::uninstall::findTracerDll(programDirectory);
            say(*names[i] + ": " + paths[i]);
        } catch (const io::FileNotFoundException& e) {
            say(*names[i] + ": not found. " + e.getMessage());
            return e.isPresentButUnopenable() ? ERROR_INSTALL_FAILURE : ERROR_UNKNOWN_PRODUCT;
        }
    }
    const std::string& configPath = paths[0];
    const std::string& dllPath = paths[1];
    try {
        if (vantrel::uninstall::liesInASystemDirectory(dllPath)) {
            const std::string configuring = systemLibraryConfiguredBy(programDirectory, dllPath);
            if (!configuring.empty()) {
                say(systemLibraryRefusal(dllPath, configuring));
                return ERROR_INSTALL_USEREXIT;
            }
            say(TRACER_DLL_NAME + ": in a Windows system folder; the warning would be answered " +
                (allowSystemFolder ? "Yes (--allow-system-folder)" : "No (no --allow-system-folder)"));
            if (!allowSystemFolder) return ERROR_INSTALL_USEREXIT;
        } else {
            say(TRACER_DLL_NAME + ": not in a Windows system folder");
        }
        Helpers::checkNotLinked(configPath);
        Helpers::checkNotLinked(dllPath);
    } catch (const exceptions::Exception& e) {
        say(e.getMessage().substr(0, e.getMessage().find_last_not_of("\r\n") + 1));
        return ERROR_INSTALL_FAILURE;
    }

    // A program that loaded the DLL keeps it from being deleted, and so
    // does one that holds it open without delete sharing.
    const std::vector<Holder> holders = findHolders(dllPath);
    const DWORD dllError = openError(dllPath, DELETE);
    if (holders.empty() && dllError == 0) {
        say(TRACER_DLL_NAME + ": not in use: no program has it loaded, and it opens for deleting");
        const DWORD configError = openError(configPath, DELETE);
        say(CONFIG_FILE_NAME + (configError == 0 ? ": can be deleted" : ": cannot be deleted. " + reason(configError)));
        return configError == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
    }
    if (dllError != 0)
        say(TRACER_DLL_NAME + (dllError == ERROR_SHARING_VIOLATION ? ": in use" : ": cannot be deleted") +
            ": it does not open for deleting. " + reason(dllError));
    else
        say(TRACER_DLL_NAME + ": in use: a program has it loaded");
    say(describeHolders(TRACER_DLL_NAME, holders));
    util::Config config(configPath, true);
    saveCheck = SaveCheck();
    if (!io::saveFile(configPath, "", kCheckOnly)) {
        say(CONFIG_FILE_NAME + ": tracing cannot be switched off in it: it can be neither replaced nor written in place" +
            (saveCheck.unknown ? " (whether a program holds it against writing is unknown: it is read-only, and a "
                                 "real run clears that first; the worse outcome is foretold)"
                               : ""));
        return ERROR_INSTALL_FAILURE;
    }
    say(CONFIG_FILE_NAME + ": tracing can be switched off in it; it would be " + saveCheck.way);
    say(trimmed(scheduleRemoval(programDirectory, true)));
    return ERROR_SUCCESS_REBOOT_REQUIRED;
}

}  // namespace

Forecast forecastUninstall(const std::string& programDirectory, bool allowSystemFolder) {
    Forecast result{{}, ERROR_INSTALL_FAILURE};
    auto say = [&](const std::string& line) { result.report += line + "\n"; };
    try {
        result.status = forecast(programDirectory, allowSystemFolder, result.report);
    } catch (const exceptions::Exception& e) {
        say("the forecast failed: " + e.getMessage());
    } catch (const std::exception& e) {
        // Memory running out, say: a real run ends in the catch-all dialog.
        say(std::string("the forecast failed: ") + e.what());
    } catch (...) {
        say("the forecast failed for an unknown reason");
    }
    say("a real run can still differ: a program may load the DLL or open or change either file after this check");
    return result;
}
