# The Wine test programs: GoogleTest needs the -posix runtime.
set(GATHRIX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
