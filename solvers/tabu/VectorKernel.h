#pragma once

// Marks a function whose loops the compiler vectorizes: it is built for AVX2 as well and the
// variant is picked at load time. Only GCC on x86-64 Linux offers the clones through ifunc.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define KOMIWOJAZER_VECTOR_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define KOMIWOJAZER_VECTOR_KERNEL
#endif
