// Compiles the functions defined after it for AVX2, until avx2_target_end.core.inl. Include it
// after every header, so that inline functions and templates shared with other files stay
// compiled for any x86-64 processor. FMA stays off, so products and sums round as on the plain path.
#if defined(__x86_64__) || defined(__i386__)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#define BV_PASSES_AVX2 1
#else
#define BV_PASSES_AVX2 0
#endif
