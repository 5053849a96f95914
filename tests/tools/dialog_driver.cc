#include "tools/dialog_driver.h"

#include <winternl.h>

#include <stdexcept>

#include "tools/probe_protocol.h"
#include "tools/test_support.h"

namespace {

// The documented CreateProcess replaces an empty command line by the
// program's path; the native call passes it as it is.
typedef NTSTATUS(NTAPI* CreateParameters)(RTL_USER_PROCESS_PARAMETERS**, UNICODE_STRING* image,
                                          UNICODE_STRING* dllPath, UNICODE_STRING* directory,
                                          UNICODE_STRING* commandLine, void* environment,
                                          UNICODE_STRING* title, UNICODE_STRING* desktop,
                                          UNICODE_STRING* shellInfo, UNICODE_STRING* runtimeData,
                                          ULONG flags);
typedef NTSTATUS(NTAPI* CreateUserProcess)(UNICODE_STRING* image, ULONG attributes,
                                           RTL_USER_PROCESS_PARAMETERS* parameters,
                                           void* processSecurity, void* threadSecurity,
                                           HANDLE parent, BOOLEAN inheritHandles, HANDLE debugPort,
                                           HANDLE exceptionPort, void* information);
typedef NTSTATUS(NTAPI* DestroyParameters)(RTL_USER_PROCESS_PARAMETERS*);

struct UserProcessInformation {
    ULONG length;
    HANDLE process;
    HANDLE thread;
    CLIENT_ID clientId;
    BYTE imageInformation[64];
};

std::wstring wide(const std::string& text) {
    std::wstring result(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &result[0], static_cast<int>(result.size()));
    result.resize(length > 0 ? length - 1 : 0);
    return result;
}

UNICODE_STRING unicode(std::wstring& text) {
    UNICODE_STRING result;
    result.Buffer = &text[0];
    result.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    result.MaximumLength = result.Length;
    return result;
}

void startWithEmptyCommandLine(const std::string& application, const std::string& directory,
                               HANDLE& process, DWORD& processId) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto createParameters = reinterpret_cast<CreateParameters>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlCreateProcessParametersEx")));
    auto createProcess = reinterpret_cast<CreateUserProcess>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlCreateUserProcess")));
    auto destroyParameters = reinterpret_cast<DestroyParameters>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDestroyProcessParameters")));
    if (!createParameters || !createProcess || !destroyParameters)
        throw std::runtime_error("ntdll lacks the process creation calls");
    std::wstring image = wide(application), ntImage = L"\\??\\" + image;
    std::wstring currentDirectory = wide(directory), empty = L" ";
    UNICODE_STRING imageName = unicode(image), ntImageName = unicode(ntImage);
    UNICODE_STRING directoryName = unicode(currentDirectory), commandLine = unicode(empty);
    commandLine.Length = 0;
    RTL_USER_PROCESS_PARAMETERS* parameters = nullptr;
    if (createParameters(&parameters, &imageName, nullptr, &directoryName, &commandLine, nullptr,
                         nullptr, nullptr, nullptr, nullptr, 1 /* normalized */) != 0)
        throw std::runtime_error("cannot build process parameters");
    UserProcessInformation information = {};
    information.length = sizeof information;
    NTSTATUS status = createProcess(&ntImageName, OBJ_CASE_INSENSITIVE, parameters, nullptr, nullptr,
                                    nullptr, FALSE, nullptr, nullptr, &information);
    destroyParameters(parameters);
    if (status != 0) throw std::runtime_error("cannot start " + application);
    ResumeThread(information.thread);
    CloseHandle(information.thread);
    process = information.process;
    processId = GetProcessId(process);
}

std::string windowText(HWND window) {
    char text[4096] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
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

// Icon handles mean nothing across processes: the probe compares them
// inside the program that shows the box.
std::string probeIcon(HWND box) {
    static HMODULE probe = LoadLibraryA(besideThisProgram("dialog_probe.dll").c_str());
    HOOKPROC hook = probe ? reinterpret_cast<HOOKPROC>(
                                reinterpret_cast<void*>(GetProcAddress(probe, "probeHook")))
                          : nullptr;
    if (!hook) return "(no probe)";
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

SeenDialog readDialog(HWND box) {
    SeenDialog dialog;
    dialog.caption = windowText(box);
    dialog.text = windowText(GetDlgItem(box, 0xFFFF));
    const struct {
        int id;
        const char* name;
    } buttons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"}};
    for (const auto& button : buttons) {
        HWND control = GetDlgItem(box, button.id);
        if (control && IsWindowVisible(control))
            dialog.buttons += (dialog.buttons.empty() ? "" : " ") + std::string(button.name);
    }
    dialog.icon = probeIcon(box);
    dialog.answer = 0;
    return dialog;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& application, const std::string& commandLine,
                           const std::string& currentDirectory) {
    if (commandLine.empty()) {
        startWithEmptyCommandLine(application, currentDirectory, process, processId);
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information = {};
    std::string writable = commandLine;
    if (!CreateProcessA(application.c_str(), &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.c_str(), &startup, &information))
        throw std::runtime_error("cannot start " + application);
    CloseHandle(information.hThread);
    process = information.hProcess;
    processId = information.dwProcessId;
}

ChildProcess::~ChildProcess() {
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
    CloseHandle(process);
}

std::vector<SeenDialog> answerDialogs(ChildProcess& child,
                                      const std::function<int(const SeenDialog&)>& choose,
                                      DWORD timeoutMs) {
    std::vector<SeenDialog> seen;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(child.handle(), 20) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            seen.push_back({"(timed out)", "", "", "", 0});
            TerminateProcess(child.handle(), 1);
            break;
        }
        HWND box = findMessageBox(child.id());
        if (!box) continue;
        SeenDialog dialog = readDialog(box);
        dialog.answer = choose(dialog);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(dialog.answer, BN_CLICKED), 0);
        seen.push_back(dialog);
        // The next box may only be looked for once this one is gone.
        while (IsWindow(box) && GetTickCount() - start <= timeoutMs &&
               WaitForSingleObject(child.handle(), 10) == WAIT_TIMEOUT) {
        }
    }
    return seen;
}
