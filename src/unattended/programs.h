// The product's own programs, removed with the product after a complete
// removal, so that nothing of it is left on the machine: the uninstaller and
// the probe at once, through checked handles; this program's own file, and
// the product's folder once nothing else is in it, at the next restart.
#ifndef VANTREL_UNATTENDED_PROGRAMS_H_
#define VANTREL_UNATTENDED_PROGRAMS_H_

#include <string>

#include "app/product_files.h"
#include "unattended/restart.h"

namespace unattended {

// Deletes uninstall.exe and dialog_probe.dll from `programFolder`, where it
// is the product's own: the folder that held one of the product's files
// when the run began (`found`), or the one its Apps & Features entry names;
// never one on a network path. Where this program lies there too,
// schedules its file for deletion at the next restart by the restart's
// rules (a runner started from elsewhere removes nothing of its own), and
// then the folder, where it holds nothing else: a folder that holds
// anything that is not the product's, another runner included, is kept.
// In Mode::Check, says what it would do. A line for each.
std::string removePrograms(const std::string& programFolder, const vantrel::uninstall::ProductFiles& found,
                           Mode mode, const RestartCalls& calls = platformRestartCalls());

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_PROGRAMS_H_
