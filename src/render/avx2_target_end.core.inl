// Ends the AVX2 region that avx2_target_begin.core.inl opened.
#if BV_PASSES_AVX2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
#undef BV_PASSES_AVX2
