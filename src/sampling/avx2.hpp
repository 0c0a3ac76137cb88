// Copies of hot loops compiled for processors with AVX2 (four doubles per instruction instead of
// two), chosen at run time where the processor has them.
//
// A copy does the same operations in the same order as the portable loop: square roots and
// divisions are correctly rounded at every width, and -ffp-contract=off keeps multiplications
// and additions apart, so both give the same values. Only on 64-bit Linux with GCC or Clang
// (MONTEMEX_AVX2_COPIES); elsewhere the portable loop alone: where the whole build already
// targets AVX2, on 32-bit builds, and on Windows, where MinGW's GCC does not align the stack for
// AVX variables.
#pragma once

#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__AVX2__)
#define MONTEMEX_AVX2_COPIES 1

namespace montemex {

// Whether the processor has AVX2, asked once.
inline bool hasAvx2()
{
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return supported;
}

}  // namespace montemex
#endif
