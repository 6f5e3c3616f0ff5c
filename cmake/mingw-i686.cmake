# Cross-compiles for 32-bit Windows (the product) with Debian's mingw-w64 (posix threads, for
# std::call_once).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KAIRODEX_TOOL_PREFIX i686-w64-mingw32-)
set(KAIRODEX_MANIFEST_ARCH x86)
set(KAIRODEX_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
