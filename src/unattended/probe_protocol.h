// What the dialog driver and dialog_probe.dll agree on.
#ifndef VANTREL_UNATTENDED_PROBE_PROTOCOL_H_
#define VANTREL_UNATTENDED_PROBE_PROTOCOL_H_

#include <windows.h>

namespace unattended {

// The wParam of the WM_NULL that asks the probe for the icon.
const WPARAM kProbeRequest = 0x56414E54;
// The property that carries the answer: kIconNone, or 1 + index below.
const char kIconProperty[] = "VantrelProbeIcon";
const INT_PTR kIconNone = 100;
const INT_PTR kStandardIconCount = 4;
static LPCSTR const kStandardIcons[kStandardIconCount] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION,
                                                          IDI_ASTERISK};
static const char* const kStandardIconNames[kStandardIconCount] = {"error", "question", "warning",
                                                                   "information"};

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_PROBE_PROTOCOL_H_
