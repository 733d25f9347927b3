# End-to-end tests run the built program on the bundled demo game; the golden
# frames are taken on the fixture game.
add_dependencies(e2e_tests velmor demo_data fixture_game)
target_compile_definitions(e2e_tests PRIVATE
  VELMOR_PROGRAM="$<TARGET_FILE:velmor>"
  VELMOR_DEMO_DIR="${VELMOR_DEMO_DIR}"
  VELMOR_FIXTURE_GAME_DIR="${VELMOR_FIXTURE_GAME_DIR}"
  # The demo played through every kind of wait (the browser's same-game script).
  VELMOR_EVERY_WAIT_SCRIPT="${PROJECT_SOURCE_DIR}/tests/web/same_game.txt")
