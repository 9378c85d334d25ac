# Cross build for Windows with Debian's MinGW-w64: 32-bit by default
# (g++-mingw-w64-i686), or 64-bit with -DTAVRIN_MINGW_ARCH=x86_64
# (g++-mingw-w64-x86-64).
set(TAVRIN_MINGW_ARCH i686 CACHE STRING "i686 for 32-bit Windows, x86_64 for 64-bit")
# CMake reads this file again for each compiler check it builds.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVRIN_MINGW_ARCH)
if(NOT TAVRIN_MINGW_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "TAVRIN_MINGW_ARCH must be i686 or x86_64, not '${TAVRIN_MINGW_ARCH}'")
endif()
set(triple ${TAVRIN_MINGW_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAVRIN_MINGW_ARCH})

# The POSIX threading flavour: GoogleTest needs std::mutex.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Run on a bare Windows: no MinGW runtime DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
