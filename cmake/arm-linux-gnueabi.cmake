# Cross build for 32-bit ARM: Debian's armel (ARMv5TE, soft float, EABI), the
# processor family of the GP2X Wiz's ARM926. Plain char is unsigned there, long
# is 32 bits and unaligned access is not allowed.
#
#   tools/arm-sysroot.sh build-arm
#   cmake -S . -B build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabi.cmake \
#         -DTESSARIL_HANDHELD=ON
#
# The compiler is Debian's g++-arm-linux-gnueabi; headers and libraries come
# from the sysroot that tools/arm-sysroot.sh lays out (TESSARIL_ARM_SYSROOT,
# build-arm/sysroot beside this folder by default). Programs built here run
# through qemu-arm with that sysroot as its library prefix, so test discovery
# and ctest work on the host.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabi)

set(TESSARIL_ARM_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/../build-arm/sysroot"
    CACHE PATH "Debian armel sysroot (made by tools/arm-sysroot.sh)")
get_filename_component(TESSARIL_ARM_SYSROOT "${TESSARIL_ARM_SYSROOT}" ABSOLUTE)
if(NOT EXISTS "${TESSARIL_ARM_SYSROOT}/usr/include/SDL/SDL.h")
  message(FATAL_ERROR "No armel sysroot at ${TESSARIL_ARM_SYSROOT}; run tools/arm-sysroot.sh first")
endif()
# try_compile projects read this file again in a folder of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSARIL_ARM_SYSROOT)

set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_SYSROOT "${TESSARIL_ARM_SYSROOT}")
# Large-file interfaces (64-bit off_t and ino_t): without them readdir and
# stat fail with EOVERFLOW as soon as a file system hands out offsets or inode
# numbers wider than 32 bits, which a 64-bit host's ext4 does to every program
# under qemu-user (directory offsets are 64-bit hashes there), and readdir's
# failure looks like an empty folder.
# GCC also notes that the argument passing of some aggregates changed in GCC
# 7.1; everything here is built by one compiler, so the note says nothing.
set(CMAKE_C_FLAGS_INIT "-D_FILE_OFFSET_BITS=64 -Wno-psabi")
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64 -Wno-psabi")

# Headers, libraries and package files from the sysroot only; programs (the
# host's pkg-config, for one) from the host.
set(CMAKE_FIND_ROOT_PATH "${TESSARIL_ARM_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads armel's sdl.pc and friends, and prefixes the paths in them
# with the sysroot.
set(ENV{PKG_CONFIG_LIBDIR}
    "${TESSARIL_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi/pkgconfig:${TESSARIL_ARM_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${TESSARIL_ARM_SYSROOT}")
set(ENV{PKG_CONFIG_PATH} "")

# The emulator: an ARM926 (ARMv5TE, the Wiz's core), loader and libraries from
# the sysroot.
find_program(TESSARIL_QEMU_ARM qemu-arm)
if(TESSARIL_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TESSARIL_QEMU_ARM};-cpu;arm926;-L;${TESSARIL_ARM_SYSROOT}")
endif()
