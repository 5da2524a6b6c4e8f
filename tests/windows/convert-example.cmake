# Converts one bundled example with quillon-cli.exe under Wine, in a scratch
# folder: its bytecode is disassembled and its text compiled, and each result
# must equal the example file of the other kind, byte for byte.
#
#   cmake -DEMULATOR=... -DQUILLON=quillon-cli.exe -DEXAMPLE=examples/room100
#         -DDIALECT=retail -DWORK=scratch-folder -P convert-example.cmake
get_filename_component(_title ${EXAMPLE} NAME)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/scd ${WORK}/c)
file(COPY ${EXAMPLE}.scd DESTINATION ${WORK}/scd)
file(COPY ${EXAMPLE}.c DESTINATION ${WORK}/c)

foreach(_step "disassemble;scd;c" "compile;c;scd")
  list(GET _step 0 _command)
  list(GET _step 1 _from)
  list(GET _step 2 _to)
  execute_process(
    COMMAND ${EMULATOR} ${QUILLON} ${_command} --dialect ${DIALECT} ${_title}.${_from}
    WORKING_DIRECTORY ${WORK}/${_from}
    RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "quillon-cli ${_command} ${_title}.${_from} exited with ${_status}")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${_from}/${_title}.${_to} ${EXAMPLE}.${_to}
    RESULT_VARIABLE _differs)
  if(NOT _differs EQUAL 0)
    message(FATAL_ERROR "quillon-cli ${_command}: ${WORK}/${_from}/${_title}.${_to} "
                        "differs from ${EXAMPLE}.${_to}")
  endif()
  message(STATUS "quillon-cli ${_command} ${_title}.${_from}: the same bytes as ${EXAMPLE}.${_to}")
endforeach()
