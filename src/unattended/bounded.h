// Steps of the runner that open files, each with a time limit: an open that
// another program's oplock holds waits until that program lets go, which a
// standard user who may only read the file can put off for ever.
#ifndef VANTREL_UNATTENDED_BOUNDED_H_
#define VANTREL_UNATTENDED_BOUNDED_H_

#include <windows.h>

#include <exception>
#include <utility>

// Runs `step` on a thread of its own and waits `limit` milliseconds at
// most: true when it ended (what it threw is thrown here); false when it
// did not, and then the run must end, since the step is left running with
// what it holds until the process's exit.
template <typename Step>
bool finishesWithin(DWORD limit, Step step) {
    struct Run {
        Step step;
        std::exception_ptr failure;
        static DWORD WINAPI start(LPVOID parameter) {
            auto* run = static_cast<Run*>(parameter);
            try {
                run->step();
            } catch (...) {
                run->failure = std::current_exception();
            }
            return 0;
        }
    };
    auto* run = new Run{std::move(step), nullptr};
    const HANDLE thread = CreateThread(nullptr, 0, Run::start, run, 0, nullptr);
    if (thread) {
        const bool ended = WaitForSingleObject(thread, limit) == WAIT_OBJECT_0;
        CloseHandle(thread);
        // A step still running keeps its state: it is never freed.
        if (!ended) return false;
    } else {
        Run::start(run);
    }
    const std::exception_ptr failure = run->failure;
    delete run;
    if (failure) std::rethrow_exception(failure);
    return true;
}

#endif  // VANTREL_UNATTENDED_BOUNDED_H_
