#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property is a crash, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition, ...)                                       \
    do {                                                                 \
        if (!(condition)) {                                              \
            std::fprintf(stderr, "fuzz check failed: %s: ", #condition); \
            std::fprintf(stderr, __VA_ARGS__);                           \
            std::fputc('\n', stderr);                                    \
            std::abort();                                                \
        }                                                                \
    } while (false)
