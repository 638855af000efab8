# The browser build: Emscripten with the libraries of the wasm prefix (scripts/web.sh
# builds them from Debian's sources), the tools taken from a native build, and the page
# around the game (web/).
#
# TOLVARAN_NATIVE_BUILD  a native build folder that has built tolvaran-assetgen,
#                        tolvaran-formbuild and tolvaran-soundrender (their outputs are
#                        the same on every platform, so they run on the build machine)
# TOLVARAN_WEB_FONTS     folder with the subset faces (uming.ttf, wqy-zenhei.ttf)

set(TOLVARAN_NATIVE_BUILD "" CACHE PATH "native build folder whose tools the web build runs")
set(TOLVARAN_WEB_FONTS "" CACHE PATH "folder of the bundled, subset faces")
if(NOT EXISTS ${TOLVARAN_NATIVE_BUILD}/bin/tolvaran-formbuild)
  message(FATAL_ERROR "TOLVARAN_NATIVE_BUILD must name a native build with its tools built")
endif()
set(TOLVARAN_TESTS OFF)
set(TOLVARAN_BENCH OFF)

# Threads: the sound players feed their devices from threads of their own and the message
# loop blocks while it waits, so the game runs on a worker (PROXY_TO_PTHREAD) where both are
# allowed, and the page's thread only draws, listens and plays.
add_compile_options(-pthread)
add_link_options(-pthread)

find_package(Freetype REQUIRED)
# The names the native build gets from pkg-config: FreeType is real, the rest have no
# counterpart in the browser and stay empty (platform/ builds its web files instead).
add_library(PkgConfig::FREETYPE INTERFACE IMPORTED)
target_link_libraries(PkgConfig::FREETYPE INTERFACE Freetype::Freetype)
foreach(missing SDL2 FONTCONFIG FLUIDSYNTH)
  add_library(PkgConfig::${missing} INTERFACE IMPORTED)
endforeach()

# The generated assets of the native build; tools/ defines the embedding and form
# functions around them without building any tool.
set(TOLVARAN_ASSET_DIR ${TOLVARAN_NATIVE_BUILD}/assets CACHE INTERNAL "generated assets")
foreach(tool assetgen formbuild soundrender)
  add_executable(tolvaran-${tool} IMPORTED GLOBAL)
  set_target_properties(tolvaran-${tool} PROPERTIES
    IMPORTED_LOCATION ${TOLVARAN_NATIVE_BUILD}/bin/tolvaran-${tool})
endforeach()

# nlohmann-json is one header tree of standard C++: the build machine's copy, placed in a
# folder of its own so that no other host header comes into the wasm build with it.
find_path(TOLVARAN_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT TOLVARAN_NLOHMANN_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian: nlohmann-json3-dev)")
endif()
file(COPY ${TOLVARAN_NLOHMANN_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/web-include)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${CMAKE_BINARY_DIR}/web-include)

add_compile_options(-include ${PROJECT_SOURCE_DIR}/web/libcxx_compat.h)
