# Cross-building the core and trevalon-cli for Windows x86-64 with MinGW-w64 (the Debian
# packages mingw-w64; the posix thread model, which std::thread needs):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DTREVALON_BUILD_GUI=OFF -DTREVALON_BUILD_TESTS=OFF -DTREVALON_BUILD_BENCH=OFF
# The runtime (libstdc++, libgcc, winpthread) is linked in, so that trevalon-cli.exe runs
# alone, without the MinGW DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TREVALON_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TREVALON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TREVALON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TREVALON_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TREVALON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
