#include "unattended/registration.h"

#include <windows.h>

#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/text.h"
#include "system/windows_folders.h"

namespace unattended {

const char kRegistrationKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrel";

namespace {

// The entry's InstallLocation in one view as its readers take it: without
// the quotes installers may add, environment variables expanded whatever
// the value's type; false when there is no entry.
bool installLocation(REGSAM view, std::string& location) {
    io::ScopedKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistrationKey, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS)
        return false;
    char text[MAX_PATH * 4] = "";
    DWORD size = sizeof text;
    const bool read = RegGetValueA(key.get(), nullptr, "InstallLocation", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                   nullptr, text, &size) == ERROR_SUCCESS;
    location = read ? io::expandEnvironment(text) : "";
    if (location.size() >= 2 && location.front() == '"' && location.back() == '"')
        location = location.substr(1, location.size() - 2);
    return true;
}

// Whether `location` names a folder from a drive's or a share's root: a
// relative one means a folder that depends on who reads it.
bool isFullPath(const std::string& location) {
    return location.rfind("\\\\", 0) == 0 ||
           (location.size() >= 3 && location[1] == ':' && (location[2] == '\\' || location[2] == '/'));
}

const struct { REGSAM view; const char* name; } kViews[] = {{KEY_WOW64_32KEY, "32-bit"}, {KEY_WOW64_64KEY, "64-bit"}};

// Whether this Windows has the second view: 32-bit Windows has one view,
// whichever is asked for.
bool hasView(std::size_t index) { return index == 0 || io::windowsIs64Bit(); }

}  // namespace

bool registeredAt(const std::string& folder) {
    for (std::size_t i = 0; i < 2; ++i) {
        std::string location;
        if (hasView(i) && installLocation(kViews[i].view, location) && isFullPath(location) &&
            io::isSameDirectory(location, folder))
            return true;
    }
    return false;
}

std::string removeRegistration(const std::string& productFolder, Mode mode) {
    std::string lines;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& view = kViews[i];
        std::string location;
        if (!hasView(i) || !installLocation(view.view, location)) continue;
        const std::string entry = "the Apps & Features entry HKLM\\" + std::string(kRegistrationKey) + " (" +
                                  view.name + " registry view)";
        if (!location.empty() && !isFullPath(location)) {
            lines += entry + " names " + location + ", which is no full path, and is kept\n";
            continue;
        }
        if (location.empty() || !io::isSameDirectory(location, productFolder)) {
            lines += entry + " names " + (location.empty() ? "no folder" : location) +
                     ", not this product's folder, and is kept\n";
            continue;
        }
        const LONG error = mode == Mode::Check ? ERROR_SUCCESS : RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kRegistrationKey, view.view, 0);
        lines += entry + (error ? " cannot be removed. " + io::reasonFor(error) : mode == Mode::Check ? " would be removed" : " is removed") +
                 "\n";
    }
    return lines;
}

}  // namespace unattended
