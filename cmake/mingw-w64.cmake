# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads), the
# platform where wchar_t is 16 bits and text is UTF-16. Programs built here
# run under Wine: ctest and test discovery go through CMAKE_CROSSCOMPILING_EMULATOR.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Wine keeps its state in WINEPREFIX: the environment's when set, otherwise a
# folder inside the build tree (made on first use, which takes some seconds).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DROVIK_MINGW_TRIPLET x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES ${DROVIK_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${DROVIK_MINGW_TRIPLET}-gcc-posix)
find_program(CMAKE_RC_COMPILER NAMES ${DROVIK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DROVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages: the target's own, and those a client names with CMAKE_PREFIX_PATH
# (an installed Drovik); never the build machine's system packages.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(CMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY OFF)
set(CMAKE_FIND_USE_PACKAGE_REGISTRY OFF)

find_program(DROVIK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(DROVIK_WINE64)
  if(DEFINED ENV{WINEPREFIX})
    set(DROVIK_WINEPREFIX "$ENV{WINEPREFIX}")
  else()
    set(DROVIK_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  endif()
  # No display, no debug chatter; the MinGW runtime DLLs are copied beside
  # the programs, so nothing else needs to be on Wine's path.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${DROVIK_WINEPREFIX} WINEDEBUG=-all DISPLAY= ${DROVIK_WINE64})
endif()
