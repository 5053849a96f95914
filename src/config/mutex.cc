#include "config/mutex.h"

namespace util {

std::uint32_t Mutex::getOwnerThreadId() const { return ownerThreadId; }

MutexLock::MutexLock(Mutex& mutex) : mutex(&mutex) { mutex.lock(); }

MutexLock::~MutexLock() { mutex->unlock(); }

}  // namespace util
