# The same sources for 64-bit Windows: only for running the Wine-side tests on machines whose
# kernel cannot execute the 32-bit Wine loader.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
