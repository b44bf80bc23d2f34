#include "metrics/Globals.h"

cCpuUsage g_cpuLoad;
