#include "app/uninstall.h"

#include <new>

#include "app/constants.h"
#include "config/config.h"
#include "system/paths.h"
#include "system/text.h"
#include "system/helpers.h"
#include "system/io.h"
#include "system/save.h"

namespace vantrel {
namespace uninstall {

namespace {

// Keeps the product from tracing after the reboot that frees the DLL;
// false when the file could not be written, or not without losing what
// the store does not read (bytes behind a CR). Read through the checked
// handle too, so that what is written back is that file's own settings.
bool disableTracing(io::FoundFile& file, Steps& steps) {
    const std::string text = io::readFile(file);
    util::Config config(true);
    try {
        config.parse(text);
    } catch (const std::bad_alloc&) {
        // Read, but its entries do not fit beside it.
        throw io::IOException("Could not load the file: " + file.path() + ". Exception: " + io::kNoMemory);
    }
    // A file that does not parse says so first: that is what its user must mend.
    if (util::holdsBytesBehindACarriageReturn(text)) return false;
    {
        util::MutexLock lock(config.getMutex());
        config.setValue(KEY_TRACE_ENABLED, io::toDecimal(0));
    }
    // Unprotected only for the write, so that a file left as it is keeps
    // its attributes too.
    steps.resetAttributes(file);
    if (steps.save(file, config.fileText())) return true;
    steps.restoreAttributes(file);
    return false;
}

}  // namespace

DllDeletionException::DllDeletionException(const std::string& message, const std::string& unsavedConfigPath,
                                           const std::string& configError)
    : exceptions::Exception(message), unsavedConfigPath(unsavedConfigPath), configError(configError) {}

const std::string& DllDeletionException::getUnsavedConfigPath() const { return unsavedConfigPath; }

const std::string& DllDeletionException::getConfigError() const { return configError; }

void performUninstall(Steps& steps, const std::string& startedIn) {
    std::string configPath, dllPath;
    try {
        configPath = Helpers::findFile(CONFIG_FILE_NAME, startedIn);
        steps.found(CONFIG_FILE_NAME, configPath);
        dllPath = findTracerDll(startedIn);
        steps.found(TRACER_DLL_NAME, dllPath);
    } catch (const io::FileNotFoundException& e) {
        // Scripts count "not installed" as done: it is said only where
        // nothing of the product is left.
        const ProductFiles left = locateProduct(startedIn);
        throw io::FileNotFoundException(e.getMessage(), e.productRemains() || !left.config.empty() || !left.dll.empty());
    }
    if (!steps.mayDeleteDll(dllPath, liesInASystemDirectory(dllPath))) throw UserCancelException("");
    // Opened and checked right before the first change; every change goes
    // through these.
    io::FoundFile config(configPath);
    io::FoundFile dll(dllPath);

    // Each file loses its attributes right before the change they would
    // stop, and gets them back where that change does not come. A deletion
    // at the restart clears them when, and only when, it is scheduled.
    steps.resetAttributes(dll);
    if (const DWORD error = steps.remove(dll)) {
        steps.restoreAttributes(dll);
        const std::string reason = Helpers::getErrorMessage(static_cast<int>(error));
        // Tracing stays on after the reboot unless the user switches it
        // off: a malformed file says both why and where.
        bool saved = false;
        try {
            saved = disableTracing(config, steps);
        } catch (const util::Config::ConfigException& e) {
            throw DllDeletionException(reason, io::getFullPath(configPath), e.getMessage());
        }
        throw DllDeletionException(reason, saved ? "" : io::getFullPath(configPath));
    }
    steps.resetAttributes(config);
    if (const DWORD error = steps.remove(config)) {
        steps.restoreAttributes(config);
        throw ConfigFileDeletionException(Helpers::getErrorMessage(static_cast<int>(error)));
    }
}

}  // namespace uninstall
}  // namespace vantrel
