#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

// A broken promise stops the run like a crash, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond, text)                                                                          \
    do {                                                                                                \
        if (!(cond)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: %s: %s\n", __FILE__, __LINE__, #cond, qPrintable(QString(text))); \
            std::abort();                                                                               \
        }                                                                                               \
    } while (0)

inline QString fuzzText(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}
