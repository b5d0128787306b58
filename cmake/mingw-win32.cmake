# The product: the -win32 runtime imports nothing that Windows XP lacks.
set(GATHRIX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
