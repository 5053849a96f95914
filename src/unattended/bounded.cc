#include "unattended/bounded.h"

#include <exception>

#include "system/handle.h"

namespace unattended {

namespace {

struct Run {
    void (*call)(void*);
    void* step;
    std::exception_ptr failure;
};

DWORD WINAPI start(LPVOID parameter) {
    auto* run = static_cast<Run*>(parameter);
    try {
        run->call(run->step);
    } catch (...) {
        run->failure = std::current_exception();
    }
    return 0;
}

}  // namespace

bool callWithin(DWORD limit, void (*call)(void*), void* step) {
    auto* run = new Run{call, step, nullptr};
    const io::ScopedHandle thread(CreateThread(nullptr, 0, start, run, 0, nullptr));
    if (thread.valid()) {
        if (WaitForSingleObject(thread.get(), limit) != WAIT_OBJECT_0) return false;
    } else {
        start(run);
    }
    const std::exception_ptr failure = run->failure;
    delete run;
    if (failure) std::rethrow_exception(failure);
    return true;
}

std::string stalledLine(const std::string& step, unsigned long seconds) {
    return "uninstall-unattended: " + step + " did not end within " + std::to_string(seconds) +
           " seconds (another program may hold a file it opens), so the run ends\n";
}

}  // namespace unattended
