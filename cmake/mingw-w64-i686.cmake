# Cross-compiling for 32-bit Windows with Debian's MinGW-w64; programs run under wine's 32-bit
# loader for the tests.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
