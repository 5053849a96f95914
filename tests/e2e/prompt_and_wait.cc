// A program that shows one message box and, once it is answered, waits and
// never ends: what a runner must end on its time limit, having printed the
// box it answered. Given a file, it shows nothing and holds the file open
// with read sharing, as a running tracer holds its DLL, until it is ended;
// given a file and "load", it loads that DLL instead, which Windows then
// deletes no more, though it opens for deleting.
// Named ignores_answer.exe, its box stays open whatever is pressed; named
// stops_pumping.exe, the box's thread stops taking messages at the first
// question another program asks the box; named refuses_focus.exe, no
// button of its box ever takes the focus; named takes_no_posts.exe, its box
// answers what is sent to it but never takes what is posted, so that no
// hook on posted messages (the probe's) enters and no pressed button
// arrives (a runner passes no arguments, so the name chooses).
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

// A box of the dialog class, as a message box is made, whose thread
// answers only what is sent to it.
void showBoxTakingNoPosts() {
    const HWND box = CreateWindowExA(0, "#32770", "Prompt and wait", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 300, 100,
                                     nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "Static", "Answer this.", WS_CHILD | WS_VISIBLE, 8, 8, 280, 20, box,
                    reinterpret_cast<HMENU>(0xFFFF), nullptr, nullptr);
    CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE, 8, 36, 80, 24, box, reinterpret_cast<HMENU>(IDOK),
                    nullptr, nullptr);
    for (MSG message;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_SENDMESSAGE);
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

int main(int argc, char** argv) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ignoresAnswer = std::strstr(self, "ignores_answer.exe") != nullptr;
    refusesFocus = std::strstr(self, "refuses_focus.exe") != nullptr;
    if (ignoresAnswer || refusesFocus || std::strstr(self, "stops_pumping.exe"))
        SetWindowsHookExA(WH_CBT, onBox, nullptr, GetCurrentThreadId());
    if (std::strstr(self, "takes_no_posts.exe")) showBoxTakingNoPosts();
    if (argc > 2 && std::strcmp(argv[2], "load") == 0)
        LoadLibraryA(argv[1]);
    else if (argc > 1)
        CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    else
        MessageBoxA(nullptr, "Answer this, then this program waits.", "Prompt and wait", MB_OK);
    Sleep(INFINITE);
}
