// How the runner answers the uninstaller's dialogs, as an administrator's
// script would: Yes to the confirmation, the system-folder warning as the
// options and the configuration allow, OK to every message.
#ifndef VANTREL_UNATTENDED_ANSWERING_H_
#define VANTREL_UNATTENDED_ANSWERING_H_

#include <string>

#include "app/product_files.h"
#include "unattended/dialog_driver.h"
#include "unattended/options.h"
#include "unattended/transcript.h"

namespace unattended {

// The runner's answer to the warning before `dllPath` is deleted from a
// Windows system folder: Yes only when allowed, and never for the library
// that the configuration at `configPath` (the one found; "" for none)
// names as Windows' own (SYSTEM_DLL); the refusal then says so.
struct WarningAnswer {
    bool yes = false;
    std::string refusal;  // the line that says why No, where the configuration decided
};
WarningAnswer answerSystemFolderWarning(const std::string& configPath, const std::string& dllPath, bool allowed);

// Answers one run's dialogs and writes each, with its answer, to the
// transcript.
class Answering {
public:
    Answering(Transcript& transcript, const std::string& programDirectory, const Options& options)
        : transcript(transcript), programDirectory(programDirectory), options(options) {}

    // The button that answers `dialog`. The confirmation is answered No
    // when the product's files are not found, and the warning when the
    // configuration is not read, within the time limit, which changes
    // nothing; stalledStep() then names that step.
    int answer(const SeenDialog& dialog);

    // The text of the last dialog answered; "" before the first.
    const std::string& lastDialog() const { return last; }
    // The step that did not end within the time limit; "" when none.
    const std::string& stalledStep() const { return stalled; }
    // The product's files as they were when the confirmation was asked,
    // before the uninstaller could remove any: the folder that held them is
    // the product's, whose programs may go.
    const vantrel::uninstall::ProductFiles& found() const { return files; }

private:
    Transcript& transcript;
    const std::string programDirectory;
    const Options& options;
    std::string last, stalled;
    vantrel::uninstall::ProductFiles files;
};

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_ANSWERING_H_
