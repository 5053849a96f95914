#include "unattended/dialog_driver.h"

#include "system/helpers.h"
#include "system/windows_folders.h"
#include "unattended/probe_protocol.h"

namespace unattended {

namespace {

const int kButtons[] = {IDOK, IDCANCEL, IDYES, IDNO};

// A program that stops taking messages must not stop the runner: each
// question to its window waits this long at most.
const UINT kAnswerMs = 2000;

bool windowText(HWND window, std::string& text) {
    char buffer[4096] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &length))
        return false;
    text = buffer;
    return true;
}

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchMessageBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    // A box can exist before it is filled; it is read once visible.
    if (owner != search->processId || std::string(className) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND findMessageBox(DWORD processId) {
    BoxSearch search = {processId, nullptr};
    EnumWindows(matchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Icon handles mean nothing across processes: the probe, hooked into the
// program that shows the box, compares them there.
std::string probeIcon(HWND box, HMODULE probe) {
    HOOKPROC hook = probe ? reinterpret_cast<HOOKPROC>(
                                reinterpret_cast<void*>(GetProcAddress(probe, "probeHook")))
                          : nullptr;
    if (!hook) return "";
    HHOOK installed = SetWindowsHookExA(WH_GETMESSAGE, hook, probe, GetWindowThreadProcessId(box, nullptr));
    INT_PTR answer = 0;
    for (int i = 0; i < 200 && answer == 0 && IsWindow(box); ++i) {
        PostMessageA(box, WM_NULL, kProbeRequest, 0);
        Sleep(10);
        answer = reinterpret_cast<INT_PTR>(GetPropA(box, kIconProperty));
    }
    UnhookWindowsHookEx(installed);
    if (answer >= 1 && answer <= kStandardIconCount) return kStandardIconNames[answer - 1];
    return answer == kIconNone ? "none" : "(no answer)";
}

// False when the box's program does not tell its caption or text.
bool readDialog(HWND box, HMODULE probe, SeenDialog& dialog) {
    if (!windowText(box, dialog.caption) || !windowText(GetDlgItem(box, 0xFFFF), dialog.text)) return false;
    for (int id : kButtons) {
        HWND control = GetDlgItem(box, id);
        if (control && IsWindowVisible(control))
            dialog.buttons += (dialog.buttons.empty() ? "" : " ") + std::string(buttonName(id));
    }
    // DM_GETDEFID is not reliable (Wine answers OK for every box), but the
    // default button is the one that has the focus.
    // The box is shown a moment before its button is focused: waited for,
    // a second at most.
    for (int wait = 0; wait < 100 && dialog.defaultButton.empty() && IsWindow(box); ++wait) {
        GUITHREADINFO focus = {};
        focus.cbSize = sizeof focus;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus) && focus.hwndFocus &&
            GetParent(focus.hwndFocus) == box)
            dialog.defaultButton = buttonName(GetDlgCtrlID(focus.hwndFocus));
        if (dialog.defaultButton.empty()) Sleep(10);
    }
    dialog.icon = probeIcon(box, probe);
    return true;
}

DialogsEnd endChild(ChildProcess& child, DialogsEnd why) {
    TerminateProcess(child.handle(), ERROR_TIMEOUT);
    // Ending is carried out at once, unless a driver holds the process.
    WaitForSingleObject(child.handle(), 10000);
    return why;
}

}  // namespace

std::string besideThisProgram(const std::string& name) { return io::getProgramDirectory() + name; }

const char* buttonName(int id) {
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "";
    }
}

ChildProcess::ChildProcess(const std::string& application, const std::string& commandLine,
                           const std::string& currentDirectory, HANDLE output) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    PROCESS_INFORMATION information = {};
    std::string writable = commandLine;
    if (!CreateProcessA(application.c_str(), &writable[0], nullptr, nullptr, output != nullptr, CREATE_SUSPENDED,
                        nullptr, currentDirectory.c_str(), &startup, &information)) {
        error = GetLastError();
        return;
    }
    // A deployment tool that ends this process on its own time limit must
    // not leave the program waiting at a dialog for ever. Where the system
    // refuses the job (Windows 7 inside a job of its own, a job with UI
    // limits), it runs without.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    job.reset(CreateJobObjectA(nullptr, nullptr));
    if (!job.valid() || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job.get(), information.hProcess)) {
        jobRefusal = GetLastError();
        if (jobRefusal == 0) jobRefusal = ERROR_ACCESS_DENIED;
        job.reset(nullptr);
    }
    const io::ScopedHandle thread(information.hThread);
    ResumeThread(thread.get());
    process.reset(information.hProcess);
    processId = information.dwProcessId;
}

ChildProcess::~ChildProcess() {
    if (process.valid() && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT)
        TerminateProcess(process.get(), ERROR_TIMEOUT);
}

DWORD ChildProcess::exitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

DialogsEnd answerDialogs(ChildProcess& child, const std::function<int(const SeenDialog&)>& choose, DWORD idleMs,
                         const std::string& probePath) {
    const io::ScopedModule probe(probePath.empty() ? nullptr : LoadLibraryA(probePath.c_str()));
    // Progress is a box read, answered and gone; whatever else the program
    // does, the wait for it is bounded.
    DWORD progress = GetTickCount();
    while (WaitForSingleObject(child.handle(), 20) == WAIT_TIMEOUT) {
        const HWND box = findMessageBox(child.id());
        SeenDialog dialog;
        if (box && readDialog(box, probe.get(), dialog)) {
            const int answer = choose(dialog);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            // The next box may only be looked for once this one is gone.
            const DWORD answered = GetTickCount();
            while (IsWindow(box) && GetTickCount() - answered <= idleMs &&
                   WaitForSingleObject(child.handle(), 10) == WAIT_TIMEOUT) {
            }
            if (IsWindow(box) && WaitForSingleObject(child.handle(), 0) == WAIT_TIMEOUT)
                return endChild(child, DialogsEnd::DialogStuck);
            progress = GetTickCount();
        } else if (GetTickCount() - progress > idleMs) {
            return endChild(child, box ? DialogsEnd::DialogUnreadable : DialogsEnd::NoDialog);
        }
    }
    return DialogsEnd::ProgramEnded;
}

}  // namespace unattended
