# Windows x86-64: Corvane-windows-x86_64.dll, a MinGW-w64 cross build (see toolchain.cmake).
# JNI: the JDK's jni.h in place, with our own jni/windows/jni_md.h.
set(CORVANE_JNI_INCLUDES ${CMAKE_SOURCE_DIR}/jni/windows ${JAVA_INCLUDE_PATH})
set(CORVANE_DEFINES CORVANE_WINDOWS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
set(CORVANE_EXPORT_TOOL objdump-pe)
set(CORVANE_SOURCES
  bridge/Corvane_windows.cpp
  bridge/GcSwitch.cpp
  bridge/JvmHost.cpp
  bridge/JvmHost_windows.cpp
  bridge/JvmRuntime_windows.cpp
  bridge/OsSeam_windows.cpp
  bridge/SharedEntries.cpp
  bridge/SendTimeout_windows.cpp
  bridge/WinSeam_windows.cpp
  capture/Capture.cpp
  capture/CaptureNames_windows.cpp
  capture/ConsoleSwitch_windows.cpp
  capture/Flush_windows.cpp
  capture/ModifiedUtf8.cpp
  capture/StackDumpPath.cpp
  capture/WriterWait_none.cpp
  metrics/Globals.cpp
  metrics/ProcessMetrics_windows.cpp
  metrics/windows/CpuUsage_windows.cpp
  metrics/windows/PerfDataReader.cpp
  metrics/windows/PerfDataWalk.cpp
  metrics/windows/SystemCpu_windows.cpp
)
set(CORVANE_TEST_ONLY_SOURCES)

function(corvane_finish_library target)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME Corvane-windows-x86_64 PREFIX "" SUFFIX ".dll"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/targets/windows/Corvane.def)
  target_link_libraries(${target} PRIVATE ws2_32 advapi32)
  target_link_options(${target} PRIVATE -static -Wl,--no-undefined)
  # Only the DLL itself: no import library or .def beside it.
  set_target_properties(${target} PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
  # The import table: exactly the system libraries and the C runtime.
  add_test(NAME imports.windows
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/exports/check_exports.sh objdump-pe-imports
                   $<TARGET_FILE:${target}> ${CMAKE_SOURCE_DIR}/tests/exports/windows-imports.txt)
endfunction()
