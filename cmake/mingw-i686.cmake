# Cross build for 32-bit Windows with mingw-w64. The posix thread model gives std::mutex and
# std::thread, which GoogleTest needs; its pthread library, linked statically, costs about
# 30 KB. The shipped program is built with the win32 thread model instead, which still gives
# thread-safe initialisation of function-local statics.
if(NOT DEFINED VELMORAN_MINGW_THREADS)
    set(VELMORAN_MINGW_THREADS posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMORAN_MINGW_THREADS)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${VELMORAN_MINGW_THREADS})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${VELMORAN_MINGW_THREADS})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
