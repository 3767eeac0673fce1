# Cross-compiling Qt and the Windows release of Marvento with Debian's mingw-w64 (posix threads).
# Unlike mingw-w64.cmake, nothing is linked statically: Qt is a set of DLLs and the programs share
# the C++ runtime DLLs with it. scripts/windows-package.sh copies this file into Qt's cache folder
# before building Qt, since the installed Qt records the toolchain file's absolute path.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(MARVENTO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MARVENTO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MARVENTO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MARVENTO_MINGW_PREFIX}-windres)
set(CMAKE_AR ${MARVENTO_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${MARVENTO_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Headers and libraries from the cross tree and from the prefixes the caller appends (Qt itself,
# the other libraries); programs from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${MARVENTO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
