# One library per folder of the code, which sees only its own folder's headers and those of the
# libraries it links. Headers are included by their path from the top of the tree
# ("water/WaterField.h"), but no include path covers the whole tree: each folder is reached
# through a root of its own in the build folder that holds just that folder, and a library
# passes its root on to what links it. An include that runs upward or sideways, to a library
# not linked, is not found and fails the build.

# The top of the tree: the project's, or the tree's for a part built on its own (tests/screen).
if(NOT VELLUMAR_SOURCE_ROOT)
  set(VELLUMAR_SOURCE_ROOT ${PROJECT_SOURCE_DIR})
endif()

# Makes FOLDER's headers visible to TARGET and to whatever links it; with PRIVATE, to TARGET
# alone (the one exception to the layers, see water/CMakeLists.txt).
#   vellumar_folder_headers(TARGET FOLDER [PRIVATE])
function(vellumar_folder_headers target folder)
  string(REPLACE "/" "_" name ${folder})
  set(root ${CMAKE_BINARY_DIR}/folders/${name})
  if(NOT EXISTS ${root}/${folder})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${VELLUMAR_SOURCE_ROOT}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(ARGN STREQUAL "PRIVATE")
    set(scope PRIVATE)
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# A static library of FOLDER's SOURCES, with its headers, linked to the libraries after LINKS.
#   vellumar_folder_library(NAME FOLDER SOURCES... [LINKS LIBRARY...])
function(vellumar_folder_library name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "LINKS")
  add_library(${name} STATIC ${arg_UNPARSED_ARGUMENTS})
  vellumar_folder_headers(${name} ${folder})
  if(arg_LINKS)
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
  endif()
endfunction()
