// Starts a Windows program and answers its message boxes as a person would,
// reading each one first: caption, text, buttons, default button and, with
// dialog_probe.dll, the icon.
#ifndef VANTREL_UNATTENDED_DIALOG_DRIVER_H_
#define VANTREL_UNATTENDED_DIALOG_DRIVER_H_

#include <windows.h>

#include <functional>
#include <string>

#include "system/handle.h"

namespace unattended {

struct SeenDialog {
    std::string caption;
    std::string icon;           // "error", "question", "warning", "information",
                                // "none", or "" without the probe
    std::string buttons;        // e.g. "OK" or "Yes No"
    std::string defaultButton;  // the button that Enter presses
    std::string text;
};

// A started program; ended if still running when this object dies, and
// also when this process ends without a word: it runs in a job that ends
// with the last handle to it.
class ChildProcess {
public:
    // Starts `application` with exactly `commandLine` in `currentDirectory`,
    // its standard output and error going to `output` when one is given;
    // startError() tells why it could not start.
    ChildProcess(const std::string& application, const std::string& commandLine,
                 const std::string& currentDirectory, HANDLE output = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The system's error code of the start, 0 when the program runs.
    DWORD startError() const { return error; }
    // 0 when it runs in the job, else the system's code of why it does not.
    DWORD jobError() const { return jobRefusal; }
    HANDLE handle() const { return process.get(); }
    DWORD id() const { return processId; }
    // The exit status once it has ended.
    DWORD exitCode() const;

private:
    io::ScopedHandle job;
    io::ScopedHandle process;
    DWORD processId = 0;
    DWORD error = 0;
    DWORD jobRefusal = 0;
};

// How answering a program's boxes ended: the program ended, or it was ended
// after `idleMs` without a box, with a box it did not close on its answer,
// or with one it did not let be read.
enum class DialogsEnd { ProgramEnded, NoDialog, DialogStuck, DialogUnreadable };

// Presses, in every message box of `child`, the button (IDOK, IDYES, ...)
// that `choose` picks, until the program ends, or until it has made no
// progress (a box read, answered and gone) for `idleMs`, whatever it does:
// then it is ended. `probePath` is the dialog_probe.dll that names the
// icons, loaded into the program; "" names none.
DialogsEnd answerDialogs(ChildProcess& child, const std::function<int(const SeenDialog&)>& choose, DWORD idleMs,
                   const std::string& probePath);

// The name of a button id: "OK", "Cancel", "Yes" or "No".
const char* buttonName(int id);

// The path of `name` in the folder of the running program.
std::string besideThisProgram(const std::string& name);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_DIALOG_DRIVER_H_
