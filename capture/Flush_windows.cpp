#include <cstdio>

#include "bridge/Corvane.h"

// Writes out what every stream of this library's C runtime holds buffered.
void doFlushall() { _flushall(); }
