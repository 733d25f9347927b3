# The sound tests drive the real player and its SDL audio output too (SDL's
# dummy audio driver, see the suite environment) and build their sound files
# with the format writers.
target_link_libraries(sound_tests PRIVATE velmor_sdl)

# A hand-run measurement of music changes against the 20 ms tick (not a test).
add_executable(sound_measure ${CMAKE_CURRENT_SOURCE_DIR}/sound/measure/sound_measure.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/sound/sound_files.cpp)
target_include_directories(sound_measure PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/sound)
target_link_libraries(sound_measure PRIVATE velmor_sdl velmor_headless)
target_compile_definitions(sound_measure PRIVATE VELMOR_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
velmor_warnings(sound_measure)
