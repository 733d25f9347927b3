# The front end's tests need the SDL backend itself, and the program for the
# smoke tests that start it.
target_link_libraries(sdl_tests PRIVATE velmor_sdl)
add_dependencies(sdl_tests velmor)
target_compile_definitions(sdl_tests PRIVATE VELMOR_PROGRAM="$<TARGET_FILE:velmor>")
