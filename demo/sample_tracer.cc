// A stand-in for the Vantrel tracer, so that the demo removes a real DLL of
// the tracer's name.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
