// A program that shows one message box and, once it is answered, waits and
// never ends: what a runner must end on its time limit, having printed the
// box it answered.
#include <windows.h>

int main() {
    MessageBoxA(nullptr, "Answer this, then this program waits.", "Prompt and wait", MB_OK);
    Sleep(INFINITE);
}
