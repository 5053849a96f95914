// What follows the uninstaller's exit, so that nothing of the product is
// left behind: after a 3010 the removal scheduled for the restart, after a
// 0 the product's own programs, after a 0 or a 3010 that scheduled both
// files its Apps & Features entry; after a 1603, what of it is left.
#ifndef VANTREL_UNATTENDED_COMPLETION_H_
#define VANTREL_UNATTENDED_COMPLETION_H_

#include <windows.h>

#include <string>

#include "app/product_files.h"
#include "unattended/options.h"
#include "unattended/transcript.h"

namespace unattended {

struct Completion {
    std::string lines;        // written to the transcript
    std::string stalledStep;  // the step that did not end in time; "" when none did
};

// Completes a run whose uninstaller, in `programDirectory`, exited with
// `status`, each step that opens files within the time limit; `found` are
// the product's files as they were before it ran. A step that does not
// end in time ends the completion, and nothing after it is done.
Completion completeRun(Transcript& transcript, DWORD status, const std::string& programDirectory,
                       const vantrel::uninstall::ProductFiles& found, const Options& options);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_COMPLETION_H_
