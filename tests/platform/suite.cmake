# A library of the tests' own for the run-time loader to load.
add_library(velmor_test_loadable MODULE ${CMAKE_CURRENT_SOURCE_DIR}/platform/loadable.c)
add_dependencies(platform_tests velmor_test_loadable)
target_compile_definitions(platform_tests PRIVATE
  VELMOR_TEST_LOADABLE="$<TARGET_FILE:velmor_test_loadable>")
