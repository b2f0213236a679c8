# Windows builds (the MinGW-w64 cross build, see mingw-w64.cmake): programs
# and DLLs share one folder so each finds the others, the compiler's runtime
# DLLs are copied there and shipped with the package, and Wine's prefix is
# set up once before anything runs under it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# Paths of the source tree compiled into tests and tools: under Wine the
# build machine's root folder is drive Z:.
if(CMAKE_CROSSCOMPILING)
  set(DROVIK_HOST_ROOT "Z:")
endif()

set(DROVIK_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}")
    # libwinpthread lives with the target's libraries rather than the compiler's.
    find_file(found_${dll} ${dll} PATHS ${CMAKE_FIND_ROOT_PATH} PATH_SUFFIXES lib bin NO_DEFAULT_PATH)
    set(found "${found_${dll}}")
  endif()
  if(EXISTS "${found}")
    list(APPEND DROVIK_RUNTIME_DLLS "${found}")
  endif()
endforeach()
file(COPY ${DROVIK_RUNTIME_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
if(DROVIK_INSTALL)
  install(FILES ${DROVIK_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The first program run in a new Wine prefix creates it (several seconds);
# doing that once, before the build runs test discovery, keeps parallel
# first runs from racing over it.
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR AND DROVIK_WINEPREFIX)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/wineprefix.stamp
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot -i
    COMMAND ${CMAKE_COMMAND} -E touch ${PROJECT_BINARY_DIR}/wineprefix.stamp
    COMMENT "Setting up the Wine prefix ${DROVIK_WINEPREFIX}"
    VERBATIM)
  add_custom_target(drovik_wineprefix DEPENDS ${PROJECT_BINARY_DIR}/wineprefix.stamp)
endif()
