# Cross build of skern.exe for 64-bit Windows with MinGW-w64 (Debian g++-mingw-w64-x86-64).
# The tests run under Wine (Debian wine64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win && ctest --test-dir build-win
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SKERN_MINGW_TRIPLE x86_64-w64-mingw32)
# The compilers' POSIX-threads flavour: its C++ library has std::mutex, which GoogleTest needs.
# skern itself uses no threads, and -static links everything in.
set(CMAKE_C_COMPILER ${SKERN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKERN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SKERN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SKERN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs built for Windows are started through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
