# 64-bit Windows: the same sources, built to run the Windows tests on machines whose
# kernel cannot run Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
