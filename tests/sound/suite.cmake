# The sound tests drive the real player and its SDL audio output too (SDL's
# dummy audio driver, see the suite environment) and build their sound files
# with the format writers.
target_link_libraries(sound_tests PRIVATE velmor_sdl)
