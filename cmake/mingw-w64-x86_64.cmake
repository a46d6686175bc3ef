# Mova for 64-bit Windows from the same sources: g++-mingw-w64-x86-64-posix.
# Its tests run under 64-bit Wine, which every x86_64 kernel starts.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MOVA_MINGW_TRIPLE x86_64-w64-mingw32)
set(MOVA_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
