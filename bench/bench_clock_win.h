#pragma once

#include <windows.h>

namespace quillcrest::bench {

// Seconds on the performance counter, for timing benchmark blocks.
inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

}  // namespace quillcrest::bench
