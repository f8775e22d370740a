# Cross build for 64-bit Windows, from the same sources with the same options: it is tested
# under wine64, which runs where 32-bit programs cannot start, and is not released.
set(VELMORAN_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
