#include "app/uninstall.h"

#include <windows.h>

#include <vector>

#include "app/constants.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/decimal.h"
#include "system/helpers.h"
#include "system/io.h"

namespace vantrel {
namespace uninstall {

namespace {

// Calls a path function shaped like GetFullPathNameA until its buffer is
// large enough; gives `path` back unchanged when the call fails.
template <typename Call>
std::string expandPath(const std::string& path, Call call) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD result = call(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (result == 0) return path;
        if (result < buffer.size()) return std::string(buffer.data(), result);
        buffer.resize(result);
    }
}

// The full, long-name spelling of a directory; an empty directory is the
// current one, as it is for a bare file name.
std::string canonicalDirectory(const std::string& directory) {
    std::string full = expandPath(directory.empty() ? ".\\" : directory,
                                  [](const char* path, char* buffer, DWORD size) {
                                      return GetFullPathNameA(path, size, buffer, nullptr);
                                  });
    return expandPath(full, [](const char* path, char* buffer, DWORD size) {
        return GetLongPathNameA(path, buffer, size);
    });
}

void warnAboutSystemDirectory(const std::string& dllPath) {
    const std::string warning =
        "Uninstall will remove the " + PRODUCT_NAME + " dll.\nUninstall found: " + dllPath +
        "\n" +
        "This file resides in the system directory.\nIf you proceed, uninstall will delete the "
        "file.\n\nDo you want to continue ?";
    if (MessageBoxA(nullptr, warning.c_str(), "Uninstall", MB_YESNO | MB_ICONEXCLAMATION) == IDNO)
        throw UserCancelException("");
}

// Keeps the product from tracing after the reboot that frees the DLL.
void disableTracing(const std::string& configPath) {
    util::Config config(configPath, true);
    {
        util::MutexLock lock(config.getMutex());
        config.setValue(KEY_TRACE_ENABLED, util::toDecimal(0));
    }
    config.save(configPath);
}

}  // namespace

bool isSameDirectory(const std::string& first, const std::string& second) {
    const std::string a = canonicalDirectory(first);
    const std::string b = canonicalDirectory(second);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

void performUninstall() {
    const std::string configPath = Helpers::findFile(CONFIG_FILE_NAME);
    const std::string dllPath = Helpers::findFile(TRACER_DLL_NAME);
    const std::string systemDirectory = Helpers::getSystemDirectory();
    if (isSameDirectory(getPathDirectory(dllPath), systemDirectory))
        warnAboutSystemDirectory(dllPath);

    SetFileAttributesA(configPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(dllPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    try {
        Helpers::deleteFile(dllPath);
    } catch (const io::IOException& e) {
        disableTracing(configPath);
        throw DllDeletionException(e.getMessage());
    }
    try {
        Helpers::deleteFile(configPath);
    } catch (const io::IOException& e) {
        throw ConfigFileDeletionException(e.getMessage());
    }
}

}  // namespace uninstall
}  // namespace vantrel
