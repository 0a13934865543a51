# 32-bit Windows: namemask.dll, the product.
set(NAMEMASK_MINGW_CPU i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
