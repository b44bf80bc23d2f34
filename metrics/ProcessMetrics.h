// Process CPU time arithmetic of the POSIX builds, apart from the natives so tests can
// drive it with any tick figures.
#pragma once

#include <jni.h>

#include "bridge/Platform.h"

namespace corvane {

// Milliseconds of CPU used between two times() readings at dTicks ticks per second.
// Each difference is taken in the build's clock type; the user term is truncated before
// the others are added, and the sum is truncated.
jlong ProcessCpuMillis(const TmsRecord& sStart, const TmsRecord& sEnd, double dTicks);

}  // namespace corvane
