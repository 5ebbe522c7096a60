# Cross build for 64-bit Windows with MinGW-w64 (win32 thread model).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVEL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
