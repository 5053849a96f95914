// dialog_probe.dll: loaded by a WH_GETMESSAGE hook into the program whose
// dialogs are answered, where icon handles can be compared. On the probe
// message it tells which standard icon the message box shows by setting a
// window property. Optional: without it the log names no icons.
#include <windows.h>

#include "unattended/probe_protocol.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK probeHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && message->message == WM_NULL && message->wParam == kProbeRequest) {
        HICON shown = reinterpret_cast<HICON>(
            SendDlgItemMessageA(message->hwnd, kIconControlId, STM_GETICON, 0, 0));
        INT_PTR answer = kIconNone;
        for (INT_PTR i = 0; i < kStandardIconCount; ++i)
            if (shown && shown == LoadIconA(nullptr, kStandardIcons[i])) answer = i + 1;
        SetPropA(message->hwnd, kIconProperty, reinterpret_cast<HANDLE>(answer));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
