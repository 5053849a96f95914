#include "unattended/what_if.h"

#include <string>
#include <vector>

#include "app/constants.h"
#include "app/uninstall.h"
#include "config/config.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/io.h"

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

std::string reason(DWORD error) {
    std::string text = Helpers::getErrorMessage(static_cast<int>(error));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The save's system calls with their checks and without their writes, so
// that io::saveFile takes the very decisions of a real save. What the
// checks could not tell is noted here.
struct SaveCheck {
    const char* way = nullptr;  // "replaced" or "written in place"
    bool unknown = false;
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
    // A real run clears the attribute first; with it, the open says nothing.
    if (isReadOnly(path)) {
        saveCheck.unknown = true;
    } else if (openError(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE) != 0) {
        return false;
    }
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
    default: return "failed";
    }
}

Forecast forecastUninstall(const std::string& programDirectory, bool allowSystemFolder) {
    Forecast forecast{{}, ERROR_INSTALL_FAILURE};
    auto say = [&](const std::string& line) { forecast.report += line + "\n"; };
    auto end = [&](DWORD status) {
        forecast.status = status;
        return forecast;
    };
    std::string paths[2];
    const std::string* names[2] = {&CONFIG_FILE_NAME, &TRACER_DLL_NAME};
    for (int i = 0; i < 2; ++i) {
        try {
            paths[i] = i == 0 ? Helpers::findFile(CONFIG_FILE_NAME, programDirectory)
                              : vantrel::uninstall::findTracerDll(programDirectory);
            say(*names[i] + ": " + paths[i]);
        } catch (const io::FileNotFoundException& e) {
            say(*names[i] + ": not found. " + e.getMessage());
            return end(e.isPresentButUnopenable() ? ERROR_INSTALL_FAILURE : ERROR_UNKNOWN_PRODUCT);
        }
    }
    const std::string& configPath = paths[0];
    const std::string& dllPath = paths[1];
    try {
        if (vantrel::uninstall::liesInASystemDirectory(dllPath)) {
            say(TRACER_DLL_NAME + ": in a Windows system folder; the warning would be answered " +
                (allowSystemFolder ? "Yes (--allow-system-folder)" : "No (no --allow-system-folder)"));
            if (!allowSystemFolder) return end(ERROR_INSTALL_USEREXIT);
        } else {
            say(TRACER_DLL_NAME + ": not in a Windows system folder");
        }
    } catch (const exceptions::Exception& e) {
        say("the Windows system folder: unknown. " + e.getMessage());
        return end(ERROR_INSTALL_FAILURE);
    }
    try {
        Helpers::checkNotLinked(configPath);
        Helpers::checkNotLinked(dllPath);
    } catch (const exceptions::Exception& e) {
        say(e.getMessage());
        return end(ERROR_INSTALL_FAILURE);
    }

    // A program that loaded the DLL or holds it open refuses its opening for
    // writing and deleting, as it makes the deletion fail.
    const bool readOnly = isReadOnly(dllPath);
    const DWORD dllError = openError(dllPath, DELETE | (readOnly ? 0 : FILE_WRITE_DATA));
    if (dllError != 0) {
        say(TRACER_DLL_NAME + (dllError == ERROR_SHARING_VIOLATION ? ": in use" : ": cannot be deleted") +
            ": it does not open for writing and deleting. " + reason(dllError));
    } else if (readOnly) {
        say(TRACER_DLL_NAME + ": not held open; whether a program loaded it is unknown (it is read-only)");
    } else {
        say(TRACER_DLL_NAME + ": not in use: it opens for writing and deleting");
    }
    const char* const caveat =
        "a real run can still differ: a program may load the DLL or open or change either file after this check";
    if (dllError == 0) {
        const DWORD configError = openError(configPath, DELETE);
        say(CONFIG_FILE_NAME + (configError == 0 ? ": can be deleted" : ": cannot be deleted. " + reason(configError)));
        say(caveat);
        return end(configError == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE);
    }
    try {
        util::Config config(configPath, true);
    } catch (const exceptions::Exception& e) {
        say(CONFIG_FILE_NAME + ": cannot be read as settings. " + e.getMessage());
        return end(ERROR_INSTALL_FAILURE);
    }
    saveCheck = SaveCheck();
    const bool saved = io::saveFile(configPath, "", kCheckOnly);
    if (!saved)
        say(CONFIG_FILE_NAME + ": tracing cannot be switched off in it: it can be neither replaced nor written in place");
    else
        say(CONFIG_FILE_NAME + ": tracing can be switched off in it; it would be " + saveCheck.way +
            (saveCheck.unknown ? " (unknown whether a program holds it: it is read-only)" : ""));
    say(caveat);
    return end(saved ? ERROR_SUCCESS_REBOOT_REQUIRED : ERROR_INSTALL_FAILURE);
}
