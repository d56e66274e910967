# Shared by the MinGW-w64 toolchain files; MINGW_ARCH is i686 or x86_64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})

# The posix thread model, so that std::thread works.
set(CMAKE_C_COMPILER ${MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_ARCH}-w64-mingw32-windres)

# The cross-built third-party libraries (scripts/build-deps) sit beside the MinGW ones.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_ARCH}-w64-mingw32 ${CMAKE_CURRENT_LIST_DIR}/../build/deps/${MINGW_ARCH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests of the Windows build run under Wine in the project's own prefix (scripts/wine-env).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
