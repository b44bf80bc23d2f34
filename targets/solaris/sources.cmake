# The sources of the Solaris set: no sampler (the system-CPU natives answer 0), no GC
# switch, no send time-out, the capture entry without a directory beside the one with it.
include(${CMAKE_CURRENT_LIST_DIR}/../posix_sources.cmake)
set(CORVANE_SOLARIS_SOURCES ${CORVANE_POSIX_SOURCES}
  capture/ConsoleSwitch_posix.cpp
  capture/StackDumpGenerated.cpp
  capture/WriterWait_none.cpp
  metrics/SystemCpu_zero.cpp
)
