# What the two MinGW-w64 toolchains share; each sets CMAKE_SYSTEM_PROCESSOR
# and TRELVIO_MINGW_PREFIX first and then includes this file.
#
# The POSIX thread model variants are used: the default (win32 model) compiler
# has no std::mutex, which GoogleTest needs. The programs are linked statically
# (see the top CMakeLists), so each .exe runs without any MinGW DLL beside it.
# Test programs run under Wine through scripts/wine-run.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TRELVIO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRELVIO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRELVIO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRELVIO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

get_filename_component(TRELVIO_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TRELVIO_WINE_RUN})
