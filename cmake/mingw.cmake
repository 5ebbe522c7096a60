# The MinGW-w64 cross build shared by both Windows toolchains: the win32 thread model's
# compilers of KORVEL_MINGW_PREFIX, and libraries and headers from its root only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${KORVEL_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${KORVEL_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER  ${KORVEL_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
