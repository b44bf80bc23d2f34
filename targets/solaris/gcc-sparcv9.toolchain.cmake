# The real Solaris SPARC V9 (64-bit) build, on a Solaris 11 SPARC host with GCC (Oracle
# Developer Studio's CC stops at C++14; the library is C++17). Not runnable on the build
# machines of this project; kept in step with sparc64-emulated.toolchain.cmake.
#   JAVA_HOME=<JDK for Solaris SPARC> cmake -S . -B build/solaris-sparcv9 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=targets/solaris/gcc-sparcv9.toolchain.cmake \
#     -DCORVANE_PLATFORM=solaris -DCORVANE_JVM_TESTS=OFF -DCORVANE_BENCH=OFF
# A native build (no CMAKE_SYSTEM_NAME here). FindJNI takes the headers from $JAVA_HOME/include and include/solaris.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m64 -mcpu=v9")
set(CMAKE_CXX_FLAGS_INIT "-m64 -mcpu=v9")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m64")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m64")
