# The browser build's toolchain: the distribution's emscripten, wherever it keeps its CMake file.
find_program(VELLUMAR_EM_CONFIG em-config)
if(VELLUMAR_EM_CONFIG)
  execute_process(COMMAND ${VELLUMAR_EM_CONFIG} EMSCRIPTEN_ROOT OUTPUT_VARIABLE VELLUMAR_EMSCRIPTEN_ROOT
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(VELLUMAR_EMSCRIPTEN_TOOLCHAIN "${VELLUMAR_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
if(NOT VELLUMAR_EM_CONFIG OR NOT EXISTS "${VELLUMAR_EMSCRIPTEN_TOOLCHAIN}")
  message(FATAL_ERROR "The web preset needs emscripten (Debian package emscripten)")
endif()
include("${VELLUMAR_EMSCRIPTEN_TOOLCHAIN}")
