// A program that shows one message box and, once it is answered, waits and
// never ends: what a runner must end on its time limit, having printed the
// box it answered. Given a file, it shows nothing and holds the file open
// with read sharing, as a running tracer holds its DLL, until it is ended;
// given a file and "load", it loads that DLL instead, which Windows then
// deletes no more, though it opens for deleting.
// Named ignores_answer.exe, its box stays open whatever is pressed; named
// stops_pumping.exe, the box's thread stops taking messages at the first
// question another program asks the box; named refuses_focus.exe, no
// button of its box ever takes the focus (a runner passes no arguments, so
// the name chooses).
#include <windows.h>

#include <cstring>

namespace {

WNDPROC boxProcedure = nullptr;
bool ignoresAnswer = false;
bool refusesFocus = false;

LRESULT CALLBACK misbehave(HWND box, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COMMAND && ignoresAnswer) return 0;
    if (message == WM_GETTEXT && !ignoresAnswer && InSendMessage()) Sleep(INFINITE);
    return CallWindowProcA(boxProcedure, box, message, w, l);
}

LRESULT CALLBACK onBox(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_SETFOCUS && refusesFocus) return 1;
    if (code == HCBT_ACTIVATE && !boxProcedure && !refusesFocus) {
        const HWND box = reinterpret_cast<HWND>(w);
        boxProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(misbehave)));
    }
    return CallNextHookEx(nullptr, code, w, l);
}

}  // namespace

int main(int argc, char** argv) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ignoresAnswer = std::strstr(self, "ignores_answer.exe") != nullptr;
    refusesFocus = std::strstr(self, "refuses_focus.exe") != nullptr;
    if (ignoresAnswer || refusesFocus || std::strstr(self, "stops_pumping.exe"))
        SetWindowsHookExA(WH_CBT, onBox, nullptr, GetCurrentThreadId());
    if (argc > 2 && std::strcmp(argv[2], "load") == 0)
        LoadLibraryA(argv[1]);
    else if (argc > 1)
        CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    else
        MessageBoxA(nullptr, "Answer this, then this program waits.", "Prompt and wait", MB_OK);
    Sleep(INFINITE);
}
