# GoogleTest for the cross builds (Windows, WebAssembly), compiled with the cross compiler from
# Debian's sources (package googletest). Defines GTest::gtest and GTest::gtest_main like find_package(GTest).
if(TARGET GTest::gtest)
  return()
endif()

set(VELLUMAR_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross builds")
if(NOT EXISTS ${VELLUMAR_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found at ${VELLUMAR_GTEST_SOURCE_DIR} (Debian package googletest)")
endif()

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${VELLUMAR_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
