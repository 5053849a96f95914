# The same sources for x86-64 Windows, for hosts whose Wine can run only
# 64-bit programs.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
