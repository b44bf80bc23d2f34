# Solaris SPARC: libCorvane.sparc.so, built twice under the same name: SPARC V9 (64-bit)
# and SPARC V8+ (32-bit). The toolchain file picks the word size:
#   on Solaris:   gcc-sparcv9.toolchain.cmake, gcc-sparcv8plus.toolchain.cmake
#   emulated:     sparc64-emulated.toolchain.cmake, sparc32-emulated.toolchain.cmake
#                 (Linux cross compiler, the same code, types, word size and byte order;
#                 tests run under qemu-user)
include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
set(CORVANE_JNI_INCLUDES ${JAVA_INCLUDE_PATH} ${JAVA_INCLUDE_PATH2})
set(CORVANE_DEFINES CORVANE_SOLARIS)
set(CORVANE_EXPORT_TOOL nm)
set(CORVANE_SOURCES ${CORVANE_SOLARIS_SOURCES})
set(CORVANE_TEST_ONLY_SOURCES "")

function(corvane_finish_library target)
  set(map ${CMAKE_SOURCE_DIR}/targets/solaris/Corvane.map)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME Corvane.sparc PREFIX "lib" SUFFIX ".so" NO_SONAME ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  if(CMAKE_SYSTEM_NAME STREQUAL "SunOS")
    # Solaris ld: -h names the object, -M takes the map file, -z defs refuses undefined
    # symbols. libc.so.1 is linked by the driver; the C++ runtime goes in statically.
    target_link_options(${target} PRIVATE
      -Wl,-h,libCorvane.sparc.so -Wl,-M,${map} -Wl,-z,defs
      -static-libstdc++ -static-libgcc)
  else()
    target_link_options(${target} PRIVATE
      -Wl,-soname,libCorvane.sparc.so -Wl,--version-script=${map}
      -Wl,-z,defs -Wl,--as-needed -static-libstdc++ -static-libgcc)
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
endfunction()
