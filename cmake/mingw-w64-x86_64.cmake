# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the -posix
# variant, whose libstdc++ has std::thread). scripts/test-windows uses it:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QMX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QMX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QMX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QMX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QMX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe with no MinGW DLLs beside it, so that Wine (or a Windows PC) runs
# it from wherever it lies.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
