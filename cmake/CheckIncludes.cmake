# A code file reaches another folder's headers only through the include roots of the libraries
# its own library links (FolderLibrary.cmake). A path that climbs out of its folder
# ("../host/SaverApp.h") would step around them, so none may: this lists every such include
# and fails.
#   cmake -DTOP=SOURCE_DIR -P CheckIncludes.cmake
file(GLOB entries LIST_DIRECTORIES true RELATIVE ${TOP} ${TOP}/*)
set(found "")
foreach(entry IN LISTS entries)
  if(NOT IS_DIRECTORY ${TOP}/${entry} OR entry MATCHES "^(\\.|build$|dist$|out$)")
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${TOP} ${TOP}/${entry}/*.h ${TOP}/${entry}/*.cpp ${TOP}/${entry}/*.c)
  foreach(source IN LISTS sources)
    file(STRINGS ${TOP}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\.[/\\\\]")
    foreach(line IN LISTS lines)
      string(APPEND found "  ${source}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "includes that climb out of their folder, around the libraries' include roots:\n${found}")
endif()
