# The sources of the Solaris set: no sampler (the system-CPU natives answer 0), no GC
# switch, no send time-out, the capture entry without a directory beside the one with it.
set(CORVANE_SOLARIS_SOURCES
  bridge/Corvane.cpp
  bridge/JvmHost.cpp
  bridge/JvmHost_posix.cpp
  bridge/OsSeam_posix.cpp
  bridge/SharedEntries.cpp
  capture/Capture.cpp
  capture/CaptureNames.cpp
  capture/ConsoleSwitch_posix.cpp
  capture/Flush_posix.cpp
  capture/StackDumpGenerated.cpp
  capture/ModifiedUtf8.cpp
  capture/StackDumpPath.cpp
  capture/WriterWait_none.cpp
  metrics/ProcessMetrics_posix.cpp
  metrics/SystemCpu_zero.cpp
)
