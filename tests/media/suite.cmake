# The demo data generator, its files checked with the engine's own format
# readers.
target_link_libraries(media_tests PRIVATE velmor_datagen_lib velmor_formats velmor_platform velmor_engine)
# The demo data tests read the folder the build made.
add_dependencies(media_tests demo_data)
target_compile_definitions(media_tests PRIVATE VELMOR_DEMO_DIR="${VELMOR_DEMO_DIR}")
