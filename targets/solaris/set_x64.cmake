# The Solaris set built for this machine (x86-64, Linux): the Solaris sources, defines and
# export list in a library the JVMs here can load, so the JVM tests show which natives a
# JVM binds in it and which it fails to bind. Only the word size and byte order differ
# from the Solaris builds; those are tested by the emulated Solaris presets.
include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
list(TRANSFORM CORVANE_SOLARIS_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE solaris_set_sources)
set(solaris_map ${CMAKE_SOURCE_DIR}/targets/solaris/Corvane.map)

add_library(corvane_solaris_set_x64 SHARED ${solaris_set_sources})
target_include_directories(corvane_solaris_set_x64 PRIVATE ${CMAKE_SOURCE_DIR} ${JAVA_INCLUDE_PATH} ${JAVA_INCLUDE_PATH2})
target_compile_definitions(corvane_solaris_set_x64 PRIVATE CORVANE_SOLARIS)
set_target_properties(corvane_solaris_set_x64 PROPERTIES
  OUTPUT_NAME Corvane.solaris-set PREFIX "lib" SUFFIX ".so" NO_SONAME ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(corvane_solaris_set_x64 PRIVATE
  -Wl,-soname,libCorvane.solaris-set.so -Wl,--version-script=${solaris_map}
  -Wl,-z,defs -Wl,--as-needed -static-libstdc++ -static-libgcc)
set_property(TARGET corvane_solaris_set_x64 APPEND PROPERTY LINK_DEPENDS ${solaris_map})

add_test(NAME exports.solaris-set-x64
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/exports/check_exports.sh
                 nm $<TARGET_FILE:corvane_solaris_set_x64> ${CMAKE_SOURCE_DIR}/tests/exports/solaris.txt)
