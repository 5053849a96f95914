// Steps of the runner that open files, each with a time limit: an open that
// another program's oplock holds waits until that program lets go, which a
// standard user who may only read the file can put off for ever.
#ifndef VANTREL_UNATTENDED_BOUNDED_H_
#define VANTREL_UNATTENDED_BOUNDED_H_

#include <windows.h>

#include <string>
#include <utility>

namespace unattended {

// Calls `call(step)` on a thread of its own and waits `limit` milliseconds
// at most: true when it ended (what it threw is thrown here), false when it
// did not.
bool callWithin(DWORD limit, void (*call)(void* step), void* step);

// Runs `step` within `limit` milliseconds, as callWithin: false when it did
// not end, and then the run must end, since the step is left running with
// what it holds until the process's exit.
template <typename Step>
bool finishesWithin(DWORD limit, Step step) {
    auto* held = new Step(std::move(step));
    const bool ended = callWithin(limit, [](void* running) { (*static_cast<Step*>(running))(); }, held);
    // A step still running keeps its state: it is never freed.
    if (ended) delete held;
    return ended;
}

// The line that ends a run whose `step` did not end within `seconds`: an
// open that another program's oplock holds never ends until it lets go.
std::string stalledLine(const std::string& step, unsigned long seconds);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_BOUNDED_H_
