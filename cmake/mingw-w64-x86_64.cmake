# Cross build for 64-bit Windows with Debian's mingw-w64:
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#         -DCMAKE_PREFIX_PATH="$(scripts/qt-windows)"
# Without that Qt only the probe, its tests and vesk-probe.exe are built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix compilers: the -win32 ones have no std::thread or std::mutex,
# which the probe and GoogleTest use.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The Qt for Windows lies outside the mingw root; find_package looks only
# below the root paths, so its folder is one of them.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in, the C++ and threads runtimes too, so that wine (or
# Windows) needs no DLL beside the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the test programs under wine; Debian keeps the 64-bit loader
# out of PATH.
find_program(VESK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VESK_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VESK_WINE64})
endif()
