# The real Solaris SPARC V8+ (32-bit) build, on a Solaris 11 SPARC host with GCC; see
# gcc-sparcv9.toolchain.cmake for the command (this file in place of that one, a build
# directory of its own: both builds produce libCorvane.sparc.so).
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -mcpu=v9")
set(CMAKE_CXX_FLAGS_INIT "-m32 -mcpu=v9")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
