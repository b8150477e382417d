# 64-bit Windows build; its test programs run here under wine 8 (see the top CMakeLists.txt).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELLUMAR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
