# The 32-bit Windows program: the product.
set(MUSLOT_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
