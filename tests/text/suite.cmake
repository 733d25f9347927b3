# The text tests write frames as PNG files (SDL_image) for inspection.
target_link_libraries(text_tests PRIVATE SDL2_image::SDL2_image SDL2::SDL2)
