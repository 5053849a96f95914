// A process-private lock that one thread may take several times, and the
// scoped lock that holds it. Each platform supplies its own mutex file.
// The configuration store's interface promises a store that threads may
// share, so it takes this lock around each access and lends it to callers
// that change it; in this program one thread touches each store.
#ifndef VANTREL_CONFIG_MUTEX_H_
#define VANTREL_CONFIG_MUTEX_H_

#include <cstdint>
#include <string>

namespace util {

class Mutex {
public:
    // Creates an unnamed, unowned lock; `name` is for identification only.
    explicit Mutex(const std::string& name);
    // Closes the lock whether or not it is held.
    virtual ~Mutex();

    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    // Waits until the calling thread owns the lock; a thread that owns it
    // already takes it again at once.
    void lock();

    // Gives up one hold; an unlock by a thread that does not own the lock
    // changes nothing.
    void unlock();

    // The thread that last completed lock(), or 0 after any unlock().
    std::uint32_t getOwnerThreadId() const;

private:
    std::string name;
    void* handle;  // the platform's lock object
    std::uint32_t ownerThreadId;
};

class MutexLock {
public:
    // Locks `mutex` until this object goes out of scope.
    explicit MutexLock(Mutex& mutex);
    virtual ~MutexLock();

    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex* mutex;
};

}  // namespace util

#endif  // VANTREL_CONFIG_MUTEX_H_
