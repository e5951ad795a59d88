# The product: 32-bit Windows, built with MinGW-w64. The -posix variant has the
# std::thread support GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# 32-bit Wine runs where the kernel runs 32-bit programs.
find_program(VELLIX_WINE32 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(VELLIX_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLIX_WINE32})
endif()
