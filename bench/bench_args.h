// The one option every benchmark takes: how many seconds to spend on a case.
#pragma once

#include <cstdlib>
#include <cstring>

// "--seconds S" anywhere on the command line; a missing, zero or negative
// figure gives the benchmark's own default.
inline double bench_seconds(int argc, char** argv, double fallback) {
    double seconds = fallback;
    for (int i = 1; i + 1 < argc; i++)
        if (strcmp(argv[i], "--seconds") == 0) seconds = atof(argv[++i]);
    return seconds > 0 ? seconds : fallback;
}
