// The memory rule. Before it creates a result or scratch, or asks the host for a block of random
// numbers, a call adds up the bytes it would hold at once; a call that cannot fit ends with
// montemex:<function>:tooLarge before anything is created or drawn.
//
// Without the rule a request as large as the machine's memory was handed out by the host and
// filled until the machine ran out, which could take the user's session down with it.
//
// The limit is 90% of the machine's physical memory (the rest is left for the host and the
// system), and at most 2 GB in a 32-bit process, whose address space can hold no more. The
// environment variable MONTEMEX_MEMORY_LIMIT replaces it (tests lower it; a machine with much
// swap may raise it) when it holds a positive finite number of bytes that starts with a digit,
// with an optional fraction and exponent and nothing else: 4e9, 4000000000, 2.5e9. Set to
// anything else ("", "abc", "-1", "0", "inf", "1e999", "5000abc"), it is ignored with a warning,
// montemex:<function>:memoryLimit, that names it and the default that applies; a module warns
// once per value for as long as it stays loaded. The embedded host reads the variable by the
// same rule for its own arrays.
//
// The machine's memory is read once per module load (a system call), the variable on every call
// (no system call): a change of the variable between calls counts from the next call on.
#pragma once

#include <cstddef>

namespace montemex {

// The limit in bytes.
double memoryLimit();

// Raises "This call needs 24 GB of memory at once, more than the 22.8 GB a call may use here."
// when `bytes` exceeds the limit. Sizes are doubles, so that no product of counts overflows.
// Warns first when the variable is set but unreadable (see above).
void checkMemory(const char* function, double bytes);

// The bytes of `count` doubles.
inline double bytesOfDoubles(double count)
{
    return 8.0 * count;
}

}  // namespace montemex
