// Steps of the runner that open files, each with a time limit: an open that
// another program's oplock holds waits until that program lets go, which a
// standard user who may only read the file can put off for ever.
#ifndef VANTREL_UNATTENDED_BOUNDED_H_
#define VANTREL_UNATTENDED_BOUNDED_H_

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

namespace unattended {

// Calls `call(step)` on a thread of its own and waits `limit` milliseconds
// at most: true when it ended (what it threw is thrown here), false when it
// did not.
bool callWithin(DWORD limit, void (*call)(void* step), void* step);

// Runs `step` within `limit` milliseconds, as callWithin: true when it
// ended, with what it returned in `result`; false when it did not, and then
// the run must end. A step left running keeps its own copy of what it
// captured and of what it returns, so it must capture by value: the
// caller's frame may be gone by the time it ends.
template <typename Result, typename Step>
bool finishesWithin(DWORD limit, Step step, Result& result) {
    struct Held {
        Step step;
        Result result;
    };
    std::unique_ptr<Held> held(new Held{std::move(step), Result()});
    const auto call = [](void* running) {
        Held* const state = static_cast<Held*>(running);
        state->result = state->step();
    };
    if (!callWithin(limit, call, held.get())) {
        // Still in use: never freed.
        held.release();
        return false;
    }
    result = std::move(held->result);
    return true;
}

// The line that ends a run whose `step` did not end within `seconds`: an
// open that another program's oplock holds never ends until it lets go.
std::string stalledLine(const std::string& step, unsigned long seconds);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_BOUNDED_H_
