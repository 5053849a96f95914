#include "unattended/answering.h"

#include <cstdint>
#include <exception>
#include <memory>

#include "app/words.h"
#include "config/config.h"
#include "exceptions/exception.h"
#include "system/io.h"
#include "system/paths.h"
#include "system/text.h"
#include "unattended/bounded.h"

namespace unattended {

namespace {

// Whether the configuration file at `configPath` names the very file
// `dllPath` as SYSTEM_DLL, however a reader could spell or read it.
bool namesAsSystemLibrary(const std::string& configPath, const std::string& dllPath) {
    if (configPath.empty()) return false;
    try {
        std::uint32_t length = 0;
        std::unique_ptr<char[]> bytes(io::loadFile(configPath, length));
        for (const std::string& named : util::readValuesLeniently(bytes ? std::string(bytes.get(), length) : "", "SYSTEM_DLL"))
            if (!named.empty() && io::isSameFile(io::expandEnvironment(named), dllPath)) return true;
    } catch (const exceptions::Exception&) {
        // A configuration that no longer opens, or too large to load: the
        // option alone decides.
    } catch (const std::exception&) {
        // Or none that fits in memory.
    }
    return false;
}

}  // namespace

WarningAnswer answerSystemFolderWarning(const std::string& configPath, const std::string& dllPath, bool allowed) {
    if (!namesAsSystemLibrary(configPath, dllPath)) return {allowed, ""};
    return {false, dllPath + " is the library that SYSTEM_DLL in " + configPath +
              " names, Windows' own, so the warning is answered No: the tracer's DLL is already gone; delete " +
              configPath + " by hand"};
}

int Answering::answer(const SeenDialog& dialog) {
    int answer = IDOK;
    std::string refusal;
    // Every question but the confirmation is the system-folder warning: it
    // is refused unless allowed, and always for the library that the
    // configuration names as Windows' own.
    if (dialog.buttons.find("Yes") != std::string::npos && dialog.text == vantrel::uninstall::confirmationQuestion()) {
        // Not found in time: No, which changes nothing.
        answer = IDNO;
        if (finishesWithin(
                options.limit(), [directory = programDirectory] { return vantrel::uninstall::locateProduct(directory); },
                files))
            answer = IDYES;
        else
            stalled = "looking for the product's files";
    } else if (dialog.buttons.find("Yes") != std::string::npos) {
        WarningAnswer check;
        // Not answered in time: No, which changes nothing.
        answer = IDNO;
        if (finishesWithin(
                options.limit(),
                [config = files.config, path = vantrel::uninstall::warnedPath(dialog.text),
                 allowed = options.allowSystemFolder] { return answerSystemFolderWarning(config, path, allowed); },
                check)) {
            if (check.yes) answer = IDYES;
            if (!check.refusal.empty()) refusal = "uninstall-unattended: " + check.refusal + "\n";
        } else {
            stalled = "reading the configuration to answer the system-folder warning";
        }
    }
    last = dialog.text;
    transcript.write("--- dialog \"" + dialog.caption + "\"" + (dialog.icon.empty() ? "" : ", icon: ") + dialog.icon +
                     ", buttons: " + dialog.buttons + ", default " + dialog.defaultButton + "\n" + dialog.text +
                     "\n--- answered: " + buttonName(answer) + "\n\n" + refusal);
    return answer;
}

}  // namespace unattended
