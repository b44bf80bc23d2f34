#pragma once

#if defined(_WIN32)
#include "metrics/windows/CpuUsage_windows.h"
#else
#include "metrics/CpuUsage.h"
#endif

// The one process-wide sampler.
extern CORVANE_VISIBLE cCpuUsage g_cpuLoad;
