# Sources every POSIX build (Linux, macOS, Solaris) shares: the load hook and process-wide
# values, the JVM services, the capture with its directory, and the process metrics. Each
# build's target.cmake adds its own back-ends; CORVANE_FULL_SET_SOURCES are the natives of
# the full set that the Solaris set lacks or answers with 0 (Linux and macOS).
set(CORVANE_POSIX_SOURCES
  bridge/Corvane.cpp
  bridge/JvmHost.cpp
  bridge/JvmHost_posix.cpp
  bridge/OsSeam_posix.cpp
  bridge/SharedEntries.cpp
  capture/Capture.cpp
  capture/CaptureNames.cpp
  capture/Flush_posix.cpp
  capture/ModifiedUtf8.cpp
  capture/StackDumpPath.cpp
  metrics/ProcessMetrics_posix.cpp
)
set(CORVANE_FULL_SET_SOURCES
  bridge/GcSwitch.cpp
  bridge/SendTimeout_posix.cpp
  metrics/Globals.cpp
  metrics/SystemCpu_sampler.cpp
  metrics/TimeAsPercent.cpp
)
