# Cross-compiles the 64-bit twin of the product with Debian's mingw-w64 (posix threads, for
# std::call_once). It runs where 32-bit Wine cannot.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KAIRODEX_TOOL_PREFIX x86_64-w64-mingw32-)
set(KAIRODEX_MANIFEST_ARCH amd64)
set(KAIRODEX_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
