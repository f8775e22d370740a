# Cross build for 32-bit Windows: the program that ships.
set(VELMORAN_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
