// Which programs hold a file, for the runner's report: the Restart
// Manager's list where Windows keeps one, else the programs whose loaded
// modules include the file. Nothing is closed.
#ifndef VANTREL_UNATTENDED_HOLDERS_H_
#define VANTREL_UNATTENDED_HOLDERS_H_

#include <windows.h>

#include <string>
#include <vector>

namespace unattended {

struct Holder {
    std::string name;  // the program's file name, e.g. "tracee.exe"
    DWORD id;
};

// The programs that hold `path`, as the Restart Manager names them, or,
// where it names none, the programs that loaded it; empty when neither
// names one. This process is never among them.
std::vector<Holder> findHolders(const std::string& path);

// One line on `holders` of the file `name`, saying when none is known.
std::string describeHolders(const std::string& name, const std::vector<Holder>& holders);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_HOLDERS_H_
