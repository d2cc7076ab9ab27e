# Cross-builds the Windows game on Debian with mingw-w64 (the posix-threads
# flavour of g++-mingw-w64-x86-64, whose libstdc++ has std::thread and
# friends). Every runtime is linked into the .exe, so it needs nothing
# installed beside Windows itself. Tests run under Wine, through
# scripts/wine-run.sh, which CTest puts in front of every test program.
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

# Headers and libraries come from the mingw-w64 tree only; programs run
# during the build (the icon maker, the linker) are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Hardened as Debian's own builds are: a stack protector on every function
# with arrays or addresses taken, and the fortified string functions. Their
# runtime (libssp) is linked into the executable with the others below, so
# no DLL of the compiler's ships beside it.
set(CMAKE_CXX_FLAGS_INIT "-fstack-protector-strong -D_FORTIFY_SOURCE=2")
# libgcc, libstdc++, winpthread and libssp inside every executable. The PE
# header's time stamp stays zero, so that two links of the same objects are
# the same file (the linker's checksum then follows the content alone).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
