// Random numbers from the host's own "rand" and "randn", so that seeding the host fixes every
// result.
#pragma once

#include <cstddef>

#include "mex.h"
#include "mex/arguments.hpp"

namespace montemex {

// The unbuffered build (MONTEMEX_UNBUFFERED) fetches every random number with its own host call;
// it is kept to prove that exact bulk drawing changes nothing.
#ifdef MONTEMEX_UNBUFFERED
inline constexpr bool kOneNumberPerHostCall = true;
#else
inline constexpr bool kOneNumberPerHostCall = false;
#endif

// One host call of `hostFunction` ("rand" or "randn") for a rows-by-cols array, whose result goes
// into *slot, checked (host_results.hpp) before anything uses it; `function` names the module in
// the error. The two size scalars are created for the call and destroyed right after it. Returns
// the numbers, or null when none were requested.
const double* drawHostArray(const char* function, mxArray** slot, const char* hostFunction, std::size_t rows,
                            std::size_t cols);
const double* drawHostArray(const char* function, mxArray** slot, const char* hostFunction, const Shape& shape);

// The source the sampling routines draw from: uniform() and normal() return the host's next
// numbers, by default one host call per number (destroying each 1x1 result at once, so memory
// does not grow with the number of draws).
//
// Exact bulk drawing: numbers the call is certain to use may be fetched together, with one
// rand(k, 1) (randn(k, 1)) call. The host's stream then advances exactly as if each had been
// fetched alone, so every result is bit-identical. The source is told what is certain in two
// ways:
//   - reserveUniforms(k): the draw in progress is certain to use its next k uniforms (the two of
//     a rejection attempt, the three of a proposal); samplers say so at the start of each such
//     group (source.hpp);
//   - planUniforms(current, later): a caller that draws value after value says, before each
//     value, what it is certain to use and what the values after it are certain to use together.
// Whenever a uniform is needed and none is held, the source fetches every uniform it knows to be
// certain (what is left of the draw's group, and the later values' share) in one host call, up to
// a block limit: so a call makes the fewest host calls exact drawing allows. The same holds for
// normals.
//
// A block must never reach past a draw of the other kind: on hosts where "rand" and "randn"
// share one stream, that draw would otherwise take a number the block holds. Callers that draw
// both kinds plan one kind at a time (see fillStudent).
//
// Every number is checked as it arrives (host_results.hpp): uniforms strictly inside (0, 1),
// normals finite. A rejection loop that gives up on the numbers it got (which the host's own
// generators never make happen) ends the call with badHostResult too.
//
// The source holds plain pointers only, so an error that ends the call may skip release(); the
// host reclaims the block it holds.
class HostSource {
public:
    // `function` names the module in errors.
    explicit HostSource(const char* function) : function_(function) {}

    // A number from a block that holds more than it is handled here, without a call (a small
    // call draws a few dozen).
    double uniform() { return uniforms_.left > 1 ? next(uniforms_) : take(uniforms_, "rand"); }
    double normal() { return normals_.left > 1 ? next(normals_) : take(normals_, "randn"); }
    [[noreturn]] void rejectionLimitReached();

    // The draw in progress is certain to use its next `count` uniforms (normals): fetched now,
    // with the planned later ones, unless some are still held (or the unbuffered build is
    // compiled).
    void reserveUniforms(std::size_t count) { reserveIn(uniforms_, "rand", count); }
    void reserveNormals(std::size_t count) { reserveIn(normals_, "randn", count); }

    // Before each value of a call: the value about to be drawn is certain to use `current`
    // uniforms (normals), the values after it `later` more. Fetches them now when none are held.
    void planUniforms(std::size_t current, std::size_t later);
    void planNormals(std::size_t current, std::size_t later);

    // The most uniforms one host call fetches (by default kMaxReserve).
    void limitUniformBlocks(std::size_t count) { uniforms_.limit = count; }

    // The reserved uniforms not used yet, in order (none in the unbuffered build), for callers
    // that work through a block themselves; skipUniforms(k) then marks the first k as used. They
    // must use whole values, whose numbers the plan counted: the plan of the next value follows.
    struct Span {
        const double* values = nullptr;
        std::size_t count = 0;
    };
    Span heldUniforms() const { return Span{uniforms_.next, uniforms_.left}; }
    void skipUniforms(std::size_t count);

    // Destroys any block still held. Reserved numbers must all have been used by then.
    void release();

    // The work of the draws made since the last call, in steps of an interrupt poll
    // (interrupt.hpp): kNumberSteps for each number handed out and kHostCallSteps for each host
    // call, which costs as much as hundreds of numbers drawn from a block.
    std::size_t takeWork();
    static constexpr std::size_t kNumberSteps = 2;
    static constexpr std::size_t kHostCallSteps = 512;

    // Bounds the memory a block takes (8 MB), whatever the size of the call.
    static constexpr std::size_t kMaxReserve = std::size_t(1) << 20;

private:
    // The numbers of one kind: the block held, and what is known to be certain.
    struct Block {
        mxArray* array = nullptr;
        const double* next = nullptr;
        std::size_t left = 0;
        std::size_t certain = 0;  // numbers the draw in progress is certain to use, held ones included
        std::size_t later = 0;    // numbers the values after it are certain to use
        std::size_t limit = kMaxReserve;
    };

    // take() for a block that holds more than one number.
    double next(Block& block)
    {
        work_ += kNumberSteps;
        if (block.certain > 0) --block.certain;
        --block.left;
        return *block.next++;
    }
    double take(Block& block, const char* hostFunction);
    // reserve(), which fetches nothing while the block holds numbers.
    void reserveIn(Block& block, const char* hostFunction, std::size_t count)
    {
        if (block.left == 0) {
            reserve(block, hostFunction, count);
        } else if (count > block.certain) {
            block.certain = count;
        }
    }
    void reserve(Block& block, const char* hostFunction, std::size_t count);
    void plan(Block& block, const char* hostFunction, std::size_t current, std::size_t later);
    // Fetches the certain numbers of an empty block when there are at least two of them (a single
    // number is fetched by take(), without size arguments).
    void fetchCertain(Block& block, const char* hostFunction);
    static void drop(Block& block);

    const char* function_;
    Block uniforms_;
    Block normals_;
    std::size_t work_ = 0;
};

}  // namespace montemex
