# Runs snxasm and snxdis on the sample scene: assemble, disassemble (to a
# file and to standard output), assemble again and compare; a source with
# errors must fail with file:line and leave no output file.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(run expected_rc)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "${ARGN} gave ${rc}, not ${expected_rc}: ${err}")
  endif()
  set(err "${err}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(0 ${SNXASM} ${DATA_DIR}/scene.s -o ${WORK_DIR}/SCENE.SNX)
run(0 ${SNXDIS} ${WORK_DIR}/SCENE.SNX -o ${WORK_DIR}/again.s)
run(0 ${SNXASM} ${WORK_DIR}/again.s -o ${WORK_DIR}/AGAIN.SNX)
file(SHA256 ${WORK_DIR}/SCENE.SNX first)
file(SHA256 ${WORK_DIR}/AGAIN.SNX second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the disassembly of SCENE.SNX does not assemble to the same bytes")
endif()
run(0 ${SNXDIS} ${WORK_DIR}/SCENE.SNX)
if(NOT out MATCHES "CHOICE work\\[11\\]")
  message(FATAL_ERROR "snxdis to standard output: ${out}")
endif()
# Without -o, the output goes beside the source.
file(COPY ${DATA_DIR}/scene.s ${DATA_DIR}/names.s DESTINATION ${WORK_DIR}/default)
run(0 ${SNXASM} ${WORK_DIR}/default/scene.s)
if(NOT EXISTS ${WORK_DIR}/default/scene.SNX)
  message(FATAL_ERROR "snxasm without -o wrote no scene.SNX")
endif()

run(1 ${SNXASM} ${DATA_DIR}/broken.s -o ${WORK_DIR}/BROKEN.SNX)
if(NOT err MATCHES "broken.s:4: " OR NOT err MATCHES "broken.s:7: " OR EXISTS ${WORK_DIR}/BROKEN.SNX)
  message(FATAL_ERROR "snxasm broken.s reported: ${err}")
endif()
run(1 ${SNXDIS} ${WORK_DIR}/missing.SNX)
