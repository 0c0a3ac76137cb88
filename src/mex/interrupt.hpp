// Interruptible long calls: the library's long loops report their work (progress.hpp), and every
// kPollSteps steps, a few milliseconds of work, the poll has the host evaluate an empty statement
// (MATLAB: "drawnow;", which processes a pending Ctrl-C there).
//
// A host acts on Ctrl-C only when it gets control: Octave checks for a pending interrupt when it
// evaluates a statement, never inside its built-in functions (rand included), so a call that
// only computes and calls rand cannot be stopped otherwise. A pending interrupt then ends the call
// as the host ends any interrupted command: no result, and the host reclaims what the call made.
#pragma once

#include <cstddef>

namespace montemex {

class InterruptPoll {
public:
    static constexpr std::size_t kPollSteps = std::size_t(1) << 20;

    void operator()(std::size_t steps)
    {
        steps_ += steps;
        if (steps_ >= kPollSteps) poll();
    }

private:
    void poll();

    std::size_t steps_ = 0;
};

}  // namespace montemex
