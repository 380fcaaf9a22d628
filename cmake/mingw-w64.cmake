# Cross-compiling for Windows with Debian's mingw-w64, shared by the two
# architectures' toolchain files (i686-w64-mingw32.cmake for 32-bit,
# x86_64-w64-mingw32.cmake for 64-bit), which set VESK_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first. The win32 thread model keeps the programs free
# of libwinpthread-1.dll.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${VESK_MINGW_PREFIX}-gcc-win32 ${VESK_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VESK_MINGW_PREFIX}-g++-win32 ${VESK_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VESK_MINGW_PREFIX}-windres REQUIRED)
find_program(VESK_MINGW_OBJDUMP NAMES ${VESK_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${VESK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables and DLLs carry their own libgcc and libstdc++, so that only
# tcl86.dll has to sit beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Test programs run under Wine; 64-bit ones under its 64-bit loader (Debian's
# `wine` starts the 32-bit one whenever wine32 is installed).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  find_program(CMAKE_CROSSCOMPILING_EMULATOR NAMES wine64 PATHS /usr/lib/wine)
else()
  find_program(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
