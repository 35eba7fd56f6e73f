#pragma once
// What every fuzz target does with a broken invariant: stop at once, so that libFuzzer
// (or the corpus replay under CTest) reports the input that broke it.

#include <cstdio>
#include <cstdlib>

#define KV_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
