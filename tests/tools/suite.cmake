# The tools suite: the assembly library, the documentation it is checked
# against, and the command-line tools run on a sample.
target_link_libraries(tools_tests PRIVATE velmor_asm)
# The command-line test below runs the tools: building the suite builds them.
add_dependencies(tools_tests snxasm snxdis)
target_compile_definitions(tools_tests PRIVATE VELMOR_DOCS_DIR="${PROJECT_SOURCE_DIR}/docs")

add_test(NAME tools_cli
  COMMAND ${CMAKE_COMMAND}
    -DSNXASM=$<TARGET_FILE:snxasm> -DSNXDIS=$<TARGET_FILE:snxdis>
    -DDATA_DIR=${CMAKE_CURRENT_SOURCE_DIR}/data/asm
    -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/tools_cli
    -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/cli_test.cmake)
