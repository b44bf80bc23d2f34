# Linux x86-64: Corvane.so.0 (also its shared-object name).
set(CORVANE_JNI_INCLUDES ${JAVA_INCLUDE_PATH} ${JAVA_INCLUDE_PATH2})
set(CORVANE_DEFINES CORVANE_LINUX)
set(CORVANE_EXPORT_TOOL nm)
set(CORVANE_SOURCES
  bridge/Corvane.cpp
  bridge/GcSwitch.cpp
  bridge/JvmHost.cpp
  bridge/JvmHost_posix.cpp
  bridge/OsSeam_posix.cpp
  bridge/SharedEntries.cpp
  bridge/SendTimeout_posix.cpp
  capture/Capture.cpp
  capture/CaptureNames.cpp
  capture/ConsoleSwitch_posix.cpp
  capture/Flush_posix.cpp
  capture/ModifiedUtf8.cpp
  capture/StackDumpPath.cpp
  capture/WriterWait_linux.cpp
  metrics/CpuUsage_linux.cpp
  metrics/Globals.cpp
  metrics/ProcStat.cpp
  metrics/ProcessMetrics_posix.cpp
  metrics/SystemCpu_sampler.cpp
  metrics/TimeAsPercent.cpp
)
# Compiled into the unit tests only: the capture entry of the Solaris builds, and the
# Windows performance-data walk (platform-neutral code, tested on every build).
set(CORVANE_TEST_ONLY_SOURCES capture/StackDumpGenerated.cpp metrics/windows/PerfDataWalk.cpp)

function(corvane_finish_library target)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME Corvane PREFIX "" SUFFIX ".so.0" NO_SONAME ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_options(${target} PRIVATE
    -Wl,-soname,Corvane.so.0
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/targets/linux/Corvane.map
    -Wl,-z,defs -Wl,--as-needed
    -static-libstdc++ -static-libgcc)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/targets/linux/Corvane.map)
endfunction()
