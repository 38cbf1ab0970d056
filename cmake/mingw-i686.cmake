# The shipping build: 32-bit Windows.
set(VANTREL_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
