# The same sources for 64-bit Windows: used to run the test suite under Wine on
# machines that cannot execute 32-bit x86 code (see README, "Testing").
set(VANTREL_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
