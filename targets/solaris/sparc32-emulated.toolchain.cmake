# The Solaris SPARC V8+ (32-bit) build made on Linux: the sparc64 cross compiler with -m32
# (package g++-multilib-sparc64-linux-gnu), big-endian, ILP32 as on Solaris. qemu-sparc32plus
# runs only statically linked programs of this kind, so the unit tests are linked -static.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR sparc)
set(CMAKE_C_COMPILER sparc64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER sparc64-linux-gnu-g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_FIND_ROOT_PATH /usr/sparc64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
