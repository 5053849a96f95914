// Ownership of a Win32 handle: closed when its owner goes, never copied.
#ifndef VANTREL_SYSTEM_HANDLE_H_
#define VANTREL_SYSTEM_HANDLE_H_

#include <windows.h>

class ScopedHandle {
public:
    // Takes `handle`; both null (processes) and INVALID_HANDLE_VALUE (files)
    // count as no handle, since Win32 uses either for failure.
    explicit ScopedHandle(HANDLE handle = nullptr) : handle(handle) {}
    ~ScopedHandle() {
        if (valid()) CloseHandle(handle);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    // Closes the handle held so far and takes `replacement`.
    void reset(HANDLE replacement) {
        if (valid()) CloseHandle(handle);
        handle = replacement;
    }

    // Gives the handle up to the caller, without closing it.
    HANDLE release() {
        HANDLE given = handle;
        handle = nullptr;
        return given;
    }

    bool valid() const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

#endif  // VANTREL_SYSTEM_HANDLE_H_
