# The same targets as 64-bit programs, for the tests only.
set(MUSLOT_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
