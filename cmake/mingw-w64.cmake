# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
# The posix thread model gives std::thread and std::mutex; -static puts the C++ runtime and
# winpthread into each .exe, so that the programs run under wine without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MARVENTO_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${MARVENTO_MINGW_PREFIX}-g++-posix ${MARVENTO_MINGW_PREFIX}-g++)
find_program(CMAKE_C_COMPILER NAMES ${MARVENTO_MINGW_PREFIX}-gcc-posix ${MARVENTO_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${MARVENTO_MINGW_PREFIX}-windres)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Headers and libraries come from the cross tree (plus whatever the caller appends, such as a
# GoogleTest built with this same compiler); programs from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${MARVENTO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under wine where it is installed (Debian's wine64 has no /usr/bin/wine64).
find_program(MARVENTO_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT MARVENTO_WINE64)
  find_program(MARVENTO_WINE64 NAMES wine64 wine)
endif()
if(MARVENTO_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MARVENTO_WINE64})
endif()
