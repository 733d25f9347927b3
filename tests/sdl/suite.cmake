# The real front end (the SDL backend, the views, the loop), and the program
# for the smoke tests that start it.
target_link_libraries(sdl_tests PRIVATE velmor_sdl_frontend)
add_dependencies(sdl_tests velmor)
target_compile_definitions(sdl_tests PRIVATE VELMOR_PROGRAM="$<TARGET_FILE:velmor>")

# The pointer and the frames on a real X server (Xvfb): the PointerUnderX and
# FramesUnderX tests, elsewhere skipped.
add_test(NAME pointer_under_x
  COMMAND timeout -s KILL 100 xvfb-run -a -s "-screen 0 1024x768x24"
          $<TARGET_FILE:sdl_tests> --gtest_filter=*UnderX.*)
set_tests_properties(pointer_under_x PROPERTIES
  ENVIRONMENT "SDL_VIDEODRIVER=x11;SDL_AUDIODRIVER=dummy" TIMEOUT 120
  FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED")

# The name fields with a real input method (Xvfb, IBus, Anthy, xdotool), skipped
# (77) where they cannot start; the KILL timeouts are the backstops.
add_test(NAME sdl_real_input_method
  COMMAND timeout -s KILL 230 bash ${CMAKE_CURRENT_SOURCE_DIR}/sdl/real_input_method.sh
          $<TARGET_FILE:sdl_tests>)
set_tests_properties(sdl_real_input_method PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 240)
