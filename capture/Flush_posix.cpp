#include <cstdio>

#include "bridge/Corvane.h"

// Writes out what C's standard output and standard error hold buffered.
void doFlushall() {
    std::fflush(stdout);
    std::fflush(stderr);
}
