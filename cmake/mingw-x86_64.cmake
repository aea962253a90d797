# Cross-build for 64-bit Windows with Debian's MinGW-w64 x86_64 compilers: the
# same program built for the hosts that cannot run 32-bit code, where its
# tests run under 64-bit Wine (the Windows stage chooses).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TRELVIO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
