# End-to-end tests run the built program on the bundled demo game.
add_dependencies(e2e_tests velmor demo_data)
target_compile_definitions(e2e_tests PRIVATE
  VELMOR_PROGRAM="$<TARGET_FILE:velmor>"
  VELMOR_DEMO_DIR="${VELMOR_DEMO_DIR}")
