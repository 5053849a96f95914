#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <new>

#include "config/mutex.h"

namespace util {

namespace {

pthread_mutex_t* native(void* handle) { return static_cast<pthread_mutex_t*>(handle); }

}  // namespace

// A recursive pthread mutex owns per thread, counts its holds and refuses an
// unlock by a thread that does not own it, as the Windows mutex does.
Mutex::Mutex(const std::string& name)
    : name(name), handle(new (std::nothrow) pthread_mutex_t), ownerThreadId(0) {
    if (!handle) return;
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (pthread_mutex_init(native(handle), &attributes) != 0) {
        delete native(handle);
        handle = nullptr;
    }
    pthread_mutexattr_destroy(&attributes);
}

Mutex::~Mutex() {
    if (!handle) return;
    pthread_mutex_destroy(native(handle));
    delete native(handle);
}

void Mutex::lock() {
    if (handle) pthread_mutex_lock(native(handle));
    ownerThreadId = static_cast<std::uint32_t>(syscall(SYS_gettid));
}

void Mutex::unlock() {
    ownerThreadId = 0;
    if (handle) pthread_mutex_unlock(native(handle));
}

}  // namespace util
