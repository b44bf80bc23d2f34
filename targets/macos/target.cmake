# macOS on 32-bit Intel: libCorvane.jnilib. The full set of natives, the Mach sampler.
#   on macOS:   apple-i386.toolchain.cmake (clang, -arch i386, the system's Mach headers)
#   emulated:   i686-emulated.toolchain.cmake (Linux i686 cross compiler: the same code,
#               types and exported set as an ELF object, built against our Mach stand-in;
#               tests run under qemu-i386)
set(CORVANE_JNI_INCLUDES ${JAVA_INCLUDE_PATH} ${JAVA_INCLUDE_PATH2})
set(CORVANE_DEFINES CORVANE_MACOS)
set(CORVANE_EXPORT_TOOL nm)
include(${CMAKE_SOURCE_DIR}/targets/posix_sources.cmake)
set(CORVANE_SOURCES ${CORVANE_POSIX_SOURCES} ${CORVANE_FULL_SET_SOURCES}
  capture/ConsoleSwitch_macos.cpp
  capture/WriterWait_none.cpp
  metrics/CpuUsage_macos.cpp
)
if(NOT APPLE)
  # Away from macOS the Mach calls come from our stand-in, which tests script.
  list(APPEND CORVANE_SOURCES jni/macos/MachHostStandIn.cpp)
endif()
set(CORVANE_TEST_ONLY_SOURCES "")

function(corvane_finish_library target)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME Corvane PREFIX "lib" SUFFIX ".jnilib"
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  if(APPLE)
    # ld64: only the listed names are exported (C names with their leading underscore);
    # undefined symbols are errors. The JVM's JVM_DumpAllStacks is looked up at run time.
    set(exports ${CMAKE_SOURCE_DIR}/targets/macos/Corvane.exports)
    target_link_options(${target} PRIVATE
      -Wl,-exported_symbols_list,${exports} -Wl,-undefined,error)
  else()
    set(exports ${CMAKE_SOURCE_DIR}/targets/macos/Corvane.map)
    target_link_options(${target} PRIVATE
      -Wl,-soname,libCorvane.jnilib -Wl,--version-script=${exports}
      -Wl,-z,defs -Wl,--as-needed -static-libstdc++ -static-libgcc)
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${exports})
endfunction()
