// Starts a Windows program with an exact command line and answers its
// message boxes as a person would, reading each one first: caption, text,
// buttons and icon.
#ifndef VANTREL_TESTS_TOOLS_DIALOG_DRIVER_H_
#define VANTREL_TESTS_TOOLS_DIALOG_DRIVER_H_

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SeenDialog {
    std::string caption;
    std::string icon;     // "error", "question", "warning", "information" or "none"
    std::string buttons;  // e.g. "OK" or "Yes No"
    std::string text;
    int answer;           // the button id that was pressed
};

// A running program; ended if still running when this object dies.
class ChildProcess {
public:
    // Starts `application` with exactly `commandLine` (an empty one too)
    // in `currentDirectory`; throws std::runtime_error when it cannot.
    ChildProcess(const std::string& application, const std::string& commandLine,
                 const std::string& currentDirectory);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    HANDLE handle() const { return process; }
    DWORD id() const { return processId; }

private:
    HANDLE process = nullptr;
    DWORD processId = 0;
};

// Reads every message box of `child` and presses the button that `choose`
// picks, until the program ends. Gives up after `timeoutMs`, ending the
// program and adding a dialog captioned "(timed out)".
std::vector<SeenDialog> answerDialogs(ChildProcess& child,
                                      const std::function<int(const SeenDialog&)>& choose,
                                      DWORD timeoutMs = 30000);

#endif  // VANTREL_TESTS_TOOLS_DIALOG_DRIVER_H_
