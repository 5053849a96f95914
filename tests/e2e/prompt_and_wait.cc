// A program that shows one message box and, once it is answered, waits and
// never ends: what a runner must end on its time limit, having printed the
// box it answered. Given a file, it shows nothing and holds the file open
// with read sharing, as a running tracer holds its DLL, until it is ended.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc > 1)
        CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    else
        MessageBoxA(nullptr, "Answer this, then this program waits.", "Prompt and wait", MB_OK);
    Sleep(INFINITE);
}
