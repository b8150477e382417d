# cmake -DRESGEN=... -DOUTPUT=dir -DCOMMITTED=dir -P CompareResources.cmake
# Fails unless the generator writes exactly the committed resource files.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${RESGEN} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "vellumar-resgen failed: ${status}")
endif()
foreach(name Vellumar.cur Preview.bmp Vellumar.ico)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${COMMITTED}/${name}
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "resources/${name} is not what tools/resgen writes; regenerate it (see README)")
  endif()
endforeach()
