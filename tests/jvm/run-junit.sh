#!/bin/sh
# Runs one JUnit test class in a fresh JVM against the built library.
# usage: run-junit.sh JDK_HOME JDK_LABEL LIBRARY CLASSES_DIR CONSOLE_JAR TEST_CLASS [JVM_OPTION...]
# Exits 77 (CTest's skip code) when the JDK is not installed.
set -eu
jdk_home=$1 label=$2 library=$3 classes=$4 console_jar=$5 test_class=$6
shift 6
if [ ! -x "$jdk_home/bin/java" ]; then
    echo "SKIP: JDK $label not installed at $jdk_home"
    exit 77
fi
exec "$jdk_home/bin/java" -Xcheck:jni "-Dcorvane.library=$library" "$@" \
    -jar "$console_jar" \
    --class-path "$classes" \
    --select-class "$test_class" \
    --fail-if-no-tests \
    --disable-banner \
    --disable-ansi-colors \
    --details=tree
