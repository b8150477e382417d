# 32-bit Windows build, the deliverable for 32-bit Windows. Its test programs run under
# wine 10 in WoW64 mode (see the top CMakeLists.txt): this machine's kernel cannot start a
# 32-bit wine loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELLUMAR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
