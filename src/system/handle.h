// Ownership of Win32 resources: one small owner that knows its resource's
// invalid value and how to release it; moved, never copied.
#ifndef VANTREL_SYSTEM_HANDLE_H_
#define VANTREL_SYSTEM_HANDLE_H_

#include <windows.h>

namespace io {

template <typename Traits>
class Owned {
public:
    typedef typename Traits::Type Type;

    explicit Owned(Type value = Traits::none()) : value(value) {}
    ~Owned() {
        if (valid()) Traits::release(value);
    }
    Owned(Owned&& other) noexcept : value(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    // Releases what is held so far and takes `replacement`.
    void reset(Type replacement = Traits::none()) {
        if (valid()) Traits::release(value);
        value = replacement;
    }

    // Gives the resource up to the caller, without releasing it.
    Type release() {
        const Type given = value;
        value = Traits::none();
        return given;
    }

    // Where a call writes the resource it makes; releases what was held.
    Type* put() {
        reset();
        return &value;
    }

    bool valid() const { return Traits::valid(value); }
    Type get() const { return value; }

private:
    Type value;
};

// Kernel objects: both null (processes) and INVALID_HANDLE_VALUE (files)
// count as none, since Win32 uses either for failure.
struct KernelHandle {
    typedef HANDLE Type;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};

struct RegistryKey {
    typedef HKEY Type;
    static HKEY none() { return nullptr; }
    static bool valid(HKEY key) { return key != nullptr; }
    static void release(HKEY key) { RegCloseKey(key); }
};

// Memory the system allocated for the caller (descriptors, texts).
struct LocalMemory {
    typedef HLOCAL Type;
    static HLOCAL none() { return nullptr; }
    static bool valid(HLOCAL memory) { return memory != nullptr; }
    static void release(HLOCAL memory) { LocalFree(memory); }
};

struct LoadedModule {
    typedef HMODULE Type;
    static HMODULE none() { return nullptr; }
    static bool valid(HMODULE module) { return module != nullptr; }
    static void release(HMODULE module) { FreeLibrary(module); }
};

// A directory listing of FindFirstFile's.
struct FileSearch {
    typedef HANDLE Type;
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE search) { return search != INVALID_HANDLE_VALUE; }
    static void release(HANDLE search) { FindClose(search); }
};

typedef Owned<KernelHandle> ScopedHandle;
typedef Owned<RegistryKey> ScopedKey;
typedef Owned<LocalMemory> ScopedLocal;
typedef Owned<LoadedModule> ScopedModule;
typedef Owned<FileSearch> ScopedSearch;

}  // namespace io

#endif  // VANTREL_SYSTEM_HANDLE_H_
