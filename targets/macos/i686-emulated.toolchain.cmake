# The macOS build made on Linux: the i686 cross compiler gives the ILP32 x86 types of 32-bit
# macOS (32-bit long, 32-bit unsigned clock_t by our own ClockT), built against our Mach
# stand-in. The unit tests are linked -static and run under qemu-i386 (the preset sets the
# emulator): this kernel cannot run 32-bit x86 programs itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
# Floating point in SSE registers, as on macOS i386 (every Intel Mac has SSE3): the x87 unit
# that i686 uses by default keeps 80-bit intermediates and rounds doubles differently.
set(CMAKE_C_FLAGS_INIT "-msse3 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse3 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
