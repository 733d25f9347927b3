# The media writers and the demo data generator they serve, checked against
# the engine's own decoders; the fixture game checked against the demo.
target_link_libraries(media_tests PRIVATE velmor_datagen_art velmor_formats velmor_platform velmor_engine)
# The demo data tests read the folders the build made.
add_dependencies(media_tests demo_data fixture_game)
target_compile_definitions(media_tests PRIVATE
  VELMOR_DEMO_DIR="${VELMOR_DEMO_DIR}"
  VELMOR_FIXTURE_GAME_DIR="${VELMOR_FIXTURE_GAME_DIR}")
