// dialog_probe.dll: loaded by a WH_GETMESSAGE hook into the program whose
// dialogs are answered, where icon handles can be compared. On the probe
// message it tells which standard icon the message box shows by setting a
// window property. Optional: without it the log names no icons.
#include <windows.h>

#include "unattended/probe_protocol.h"

using namespace unattended;

namespace {

// The box's icon control is found by what it is, a static control showing
// an icon: its id differs between Windows (20) and Wine (1088).
BOOL CALLBACK findIconControl(HWND control, LPARAM found) {
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0 || (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = control;
    return FALSE;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK probeHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && message->message == WM_NULL && message->wParam == kProbeRequest) {
        HWND control = nullptr;
        EnumChildWindows(message->hwnd, findIconControl, reinterpret_cast<LPARAM>(&control));
        HICON shown = control ? reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0)) : nullptr;
        INT_PTR answer = kIconNone;
        for (INT_PTR i = 0; i < kStandardIconCount; ++i)
            if (shown && shown == LoadIconA(nullptr, kStandardIcons[i])) answer = i + 1;
        SetPropA(message->hwnd, kIconProperty, reinterpret_cast<HANDLE>(answer));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
