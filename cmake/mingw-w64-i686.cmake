# Mova for 32-bit Windows, the program that ships: g++-mingw-w64-i686-posix.
# Its tests run under 32-bit Wine, where the kernel starts 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MOVA_MINGW_TRIPLE i686-w64-mingw32)
set(MOVA_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
