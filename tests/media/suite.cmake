# The media writers and the demo data generator they serve. The engine's BMP
# decoder (velmor_platform) needs velmor_engine after it on the link line.
target_link_libraries(media_tests PRIVATE velmor_datagen_lib velmor_platform velmor_engine)
# The demo data tests read the folder the build made.
add_dependencies(media_tests demo_data)
target_compile_definitions(media_tests PRIVATE VELMOR_DEMO_DIR="${VELMOR_DEMO_DIR}")
