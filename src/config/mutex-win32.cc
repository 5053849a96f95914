#include <windows.h>

#include "config/mutex.h"

namespace util {

// Failures are not reported: a null handle makes every wait and release
// fail, so the lock then simply holds nothing.
Mutex::Mutex(const std::string& name)
    : name(name), handle(CreateMutexA(nullptr, FALSE, nullptr)), ownerThreadId(0) {}

Mutex::~Mutex() { CloseHandle(handle); }

void Mutex::lock() {
    WaitForSingleObject(handle, INFINITE);
    ownerThreadId = GetCurrentThreadId();
}

void Mutex::unlock() {
    ownerThreadId = 0;
    ReleaseMutex(handle);
}

}  // namespace util
