# Linux x86-64: Corvane.so.0 (also its shared-object name).
set(CORVANE_JNI_INCLUDES ${JAVA_INCLUDE_PATH} ${JAVA_INCLUDE_PATH2})
set(CORVANE_DEFINES CORVANE_LINUX)
set(CORVANE_EXPORT_TOOL nm)
include(${CMAKE_SOURCE_DIR}/targets/posix_sources.cmake)
set(CORVANE_SOURCES ${CORVANE_POSIX_SOURCES} ${CORVANE_FULL_SET_SOURCES}
  capture/ConsoleSwitch_posix.cpp
  capture/WriterWait_linux.cpp
  metrics/CpuUsage_linux.cpp
  metrics/ProcStat.cpp
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
