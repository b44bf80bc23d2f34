# The real macOS build, 32-bit Intel, on a Mac with Xcode command-line tools that still
# build i386 (Xcode 9 and earlier; the macOS 10.13 SDK is the last with i386). Not runnable
# on the build machines of this project; kept in step with i686-emulated.toolchain.cmake.
#   JAVA_HOME=<JDK with include/darwin> cmake -S . -B build/macos -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=targets/macos/apple-i386.toolchain.cmake \
#     -DCORVANE_PLATFORM=macos -DCORVANE_JVM_TESTS=OFF -DCORVANE_BENCH=OFF
# A native build: the system's <mach/mach.h> replaces our stand-in (jni/macos/MachHost.h),
# and the Mach calls come from libSystem.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_OSX_ARCHITECTURES i386 CACHE STRING "")
set(CMAKE_OSX_DEPLOYMENT_TARGET 10.7 CACHE STRING "")
