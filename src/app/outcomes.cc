#include "app/outcomes.h"

#include <cstddef>

namespace vantrel {
namespace uninstall {

namespace {

// Windows Installer's codes, which deployment tools read; the failed row
// serves every other status of a started run, the last a run that never
// started.
const OutcomeRow kOutcomes[] = {
    {ERROR_SUCCESS, "both files deleted", EVENTLOG_INFORMATION_TYPE, 100},
    {ERROR_SUCCESS_REBOOT_REQUIRED, "the DLL is in use: tracing switched off, reboot and run again",
     EVENTLOG_WARNING_TYPE, 110},
    {ERROR_UNKNOWN_PRODUCT, "nothing of the product is in any searched place", EVENTLOG_INFORMATION_TYPE, 120},
    {ERROR_INSTALL_USEREXIT, "cancelled at the system-folder warning", EVENTLOG_ERROR_TYPE, 200},
    {ERROR_TIMEOUT, "a step made no progress within the time limit", EVENTLOG_ERROR_TYPE, 203},
    {ERROR_INSTALL_FAILURE, "failed", EVENTLOG_ERROR_TYPE, 202},
    {0, "the uninstaller cannot be started", EVENTLOG_ERROR_TYPE, 204},
};
const std::size_t kFailed = sizeof kOutcomes / sizeof kOutcomes[0] - 2;

}  // namespace

const OutcomeRow& outcomeRow(DWORD status, bool started) {
    if (!started) return kOutcomes[kFailed + 1];
    for (std::size_t i = 0; i < kFailed; ++i)
        if (kOutcomes[i].status == status) return kOutcomes[i];
    return kOutcomes[kFailed];
}

}  // namespace uninstall
}  // namespace vantrel
