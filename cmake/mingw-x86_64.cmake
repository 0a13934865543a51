# 64-bit Windows: namemask64.dll, for 64-bit hosts.
set(NAMEMASK_MINGW_CPU x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
