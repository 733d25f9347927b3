# The language document the assembler is checked against.
target_compile_definitions(language_tests PRIVATE VELMOR_DOCS_DIR="${PROJECT_SOURCE_DIR}/docs")
