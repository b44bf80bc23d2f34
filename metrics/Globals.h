#pragma once

#include "metrics/CpuUsage.h"

// The one process-wide sampler.
extern CORVANE_VISIBLE cCpuUsage g_cpuLoad;
