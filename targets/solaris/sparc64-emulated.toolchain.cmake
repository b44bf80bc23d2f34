# The Solaris SPARC V9 (64-bit) build made on Linux: the sparc64 cross compiler, big-endian,
# LP64 as on Solaris. The unit tests run under qemu-sparc64 (the preset sets the emulator).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR sparc64)
set(CMAKE_C_COMPILER sparc64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER sparc64-linux-gnu-g++)
set(CMAKE_CXX_FLAGS_INIT "-m64")
set(CMAKE_FIND_ROOT_PATH /usr/sparc64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
