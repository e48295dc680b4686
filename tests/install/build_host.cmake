# build_host(PREFIX WHAT): configures and builds the host project of this
# folder against the vireo package under PREFIX, runs it and checks the bytes
# it wrote; WHAT names the package in messages. Needs SOURCE_DIR and WORK_DIR.
function(build_host prefix what)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/host -B ${WORK_DIR}/build -G Ninja
                          -DCMAKE_PREFIX_PATH=${prefix} RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "configuring the host against ${what} failed")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "building the host against ${what} failed")
  endif()
  execute_process(COMMAND ${WORK_DIR}/build/host ${WORK_DIR}/out.837 RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "the host built against ${what} failed")
  endif()
  file(READ ${WORK_DIR}/out.837 written)
  if(NOT written STREQUAL "ST*837*0001~")
    message(FATAL_ERROR "the host built against ${what} wrote \"${written}\"")
  endif()
endfunction()
