# The table is held against the C library's own converter: only this test links it.
find_package(Iconv REQUIRED)
target_link_libraries(core_tests PRIVATE Iconv::Iconv)
