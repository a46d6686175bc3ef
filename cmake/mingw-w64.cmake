# What the two Windows toolchains share: cross-building with Debian's
# mingw-w64 for MOVA_MINGW_TRIPLE (its POSIX thread model, for std::thread and
# std::mutex), statically, so that the executables need nothing beyond the
# system's own DLLs. Every Windows program the build runs (the tests) goes
# through scripts/wine-run.sh, with the Wine of the build's width
# (MOVA_WINE_ARCH) in a prefix of the build's own. Included by
# mingw-w64-i686.cmake and mingw-w64-x86_64.cmake, which set the two names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MOVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MOVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MOVA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MOVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The tools that read the built programs without running them.
set(MOVA_OBJDUMP ${MOVA_MINGW_TRIPLE}-objdump)

set(MOVA_WINEPREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The Wine prefix the tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${MOVA_WINE_ARCH} ${MOVA_WINEPREFIX})
