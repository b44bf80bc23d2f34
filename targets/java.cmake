# Java sources compiled by JDK 17's javac (release 17, every lint warning an error) into a
# class folder made afresh, for the JVM tests and the demo.
set(CORVANE_JDK17_HOME "/usr/lib/jvm/java-17-openjdk-amd64" CACHE PATH "JDK 17 used to compile and run the JVM tests")

# corvane_add_java_classes(TARGET CLASSES COMMENT [CLASSPATH path] SOURCES file...): a target
# built by default that compiles SOURCES into the folder CLASSES.
function(corvane_add_java_classes target classes comment)
  cmake_parse_arguments(ARG "" "CLASSPATH" "SOURCES" ${ARGN})
  set(stamp "${classes}.stamp")
  set(classpath)
  if(ARG_CLASSPATH)
    set(classpath -cp "${ARG_CLASSPATH}")
  endif()
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${classes}"
    COMMAND "${CORVANE_JDK17_HOME}/bin/javac" --release 17 -Xlint:all -Werror -encoding UTF-8
            ${classpath} -d "${classes}" ${ARG_SOURCES}
    COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}"
    DEPENDS ${ARG_SOURCES}
    COMMENT "${comment}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${stamp}")
endfunction()
