# Cross build for Windows with mingw-w64, for the target that the including toolchain file names
# in VELMORAN_MINGW_TARGET. The posix thread model gives std::mutex and std::thread, which
# GoogleTest needs; its pthread library, linked statically, costs about 30 KB. The shipped
# program is built with the win32 thread model instead, which still gives thread-safe
# initialisation of function-local statics.
if(NOT DEFINED VELMORAN_MINGW_THREADS)
    set(VELMORAN_MINGW_THREADS posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMORAN_MINGW_THREADS)
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${VELMORAN_MINGW_TARGET})
set(CMAKE_C_COMPILER ${VELMORAN_MINGW_TARGET}-gcc-${VELMORAN_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${VELMORAN_MINGW_TARGET}-g++-${VELMORAN_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${VELMORAN_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORAN_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
