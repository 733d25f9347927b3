# The checker, and the command-line tools (built with the suite) run on a
# sample and on the demo.
target_link_libraries(tools_tests PRIVATE velmor_check)
add_dependencies(tools_tests snxasm snxdis snxcheck)
add_test(NAME tools_cli
  COMMAND ${CMAKE_COMMAND} -DSNXASM=$<TARGET_FILE:snxasm> -DSNXDIS=$<TARGET_FILE:snxdis>
    -DSNXCHECK=$<TARGET_FILE:snxcheck>
    -DDATA_DIR=${CMAKE_CURRENT_SOURCE_DIR}/data/asm -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/tools_cli
    -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/cli_test.cmake)
add_test(NAME snxcheck_demo
  COMMAND ${CMAKE_COMMAND} -DSNXCHECK=$<TARGET_FILE:snxcheck> -DDEMO_DIR=${VELMOR_DEMO_DIR}
    -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/snxcheck_demo
    -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/check_demo.cmake)
