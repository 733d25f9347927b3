# The browser build, with emscripten: what scripts/web-deps built (SDL2,
# FreeType, SDL2_ttf in VELMOR_WEB_DEPS/prefix, Dear ImGui's sources in
# VELMOR_WEB_DEPS/src) stands in for the system's packages, and the program
# is the web front end (src/main/web/), emitted as velmor.js + velmor.wasm
# for the page that scripts/web writes around it.
set(VELMOR_WEB_DEPS "${PROJECT_SOURCE_DIR}/build/web-deps" CACHE PATH
    "Where scripts/web-deps put the libraries built for the browser")
set(VELMOR_WEB_DEMO "${PROJECT_SOURCE_DIR}/build/ci/demo" CACHE PATH
    "The demo's data folder, as a native build made it")
set(VELMOR_WEB_LOCALE "${PROJECT_SOURCE_DIR}/build/ci/locale" CACHE PATH
    "The message catalogues (ja.mo, game-en.mo), as a native build compiled them")
set(VELMOR_WEB_FONT "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf" CACHE FILEPATH
    "The game's face (the one the headless front end draws with)")
option(VELMOR_WEB_FACE_CUT "Pack the face cut down to what the game can show (scripts/web-face)" ON)
set(VELMOR_WEB_BITMAP_FONTS "/usr/share/fonts/X11/misc" CACHE PATH
    "The folder of the 16-dot bitmap face (shnmk16b.pcf.gz, shnm8x16rb.pcf.gz)")
list(PREPEND CMAKE_PREFIX_PATH "${VELMOR_WEB_DEPS}/prefix")
list(PREPEND CMAKE_FIND_ROOT_PATH "${VELMOR_WEB_DEPS}/prefix")

find_package(SDL2 CONFIG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(freetype CONFIG REQUIRED)
find_package(SDL2_ttf CONFIG REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The names the native build links them by.
if(NOT TARGET SDL2::SDL2)
  add_library(SDL2::SDL2 ALIAS SDL2::SDL2-static)
endif()
if(NOT TARGET SDL2_ttf::SDL2_ttf)
  add_library(SDL2_ttf::SDL2_ttf ALIAS SDL2_ttf::SDL2_ttf-static)
endif()

# Dear ImGui from Debian's source package, with its FreeType font builder.
file(GLOB imgui_dir LIST_DIRECTORIES true "${VELMOR_WEB_DEPS}/src/imgui-1.*")
if(NOT imgui_dir)
  message(FATAL_ERROR "Dear ImGui's sources are not in ${VELMOR_WEB_DEPS}/src: run scripts/web-deps")
endif()
add_library(imgui_web STATIC ${imgui_dir}/imgui.cpp ${imgui_dir}/imgui_draw.cpp
  ${imgui_dir}/imgui_tables.cpp ${imgui_dir}/imgui_widgets.cpp
  ${imgui_dir}/misc/freetype/imgui_freetype.cpp)
target_include_directories(imgui_web SYSTEM PUBLIC ${imgui_dir} ${imgui_dir}/misc/freetype
  ${imgui_dir}/backends)
target_link_libraries(imgui_web PUBLIC freetype)
add_library(PkgConfig::IMGUI ALIAS imgui_web)

# Exceptions are how the game's end (QuitSignal) and its failures travel.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# The face the page packs: cut down to the game's characters by
# scripts/web-face (a third of the download), or the whole face.
if(VELMOR_WEB_FACE_CUT)
  set(VELMOR_WEB_FACE "${CMAKE_BINARY_DIR}/web-face/velmor-gothic.ttf")
  add_custom_command(OUTPUT "${VELMOR_WEB_FACE}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/web-face"
    COMMAND "${PROJECT_SOURCE_DIR}/scripts/web-face" "${VELMOR_WEB_FONT}" "${VELMOR_WEB_FACE}"
    DEPENDS "${VELMOR_WEB_FONT}" "${PROJECT_SOURCE_DIR}/scripts/web-face"
    COMMENT "Cutting the face down to the game's characters")
else()
  set(VELMOR_WEB_FACE "${VELMOR_WEB_FONT}")
endif()
add_custom_target(web_face DEPENDS "${VELMOR_WEB_FACE}")

add_subdirectory(src)
# The demo game's data is taken from a native build (scripts/web copies it).

