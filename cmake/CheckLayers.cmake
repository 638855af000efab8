# Checks that includes and links only point down the layers.
#
#   cmake -DSOURCE_DIR=<tree> [-DGRAPH=<link graph>] -P CheckLayers.cmake
#
# Every folder below belongs to one layer; a layer may use itself and the layers of a
# lower rank. Siblings of one rank (pictures and sound, components and commands) do not
# use each other. Tools may use every product layer except the game and the program
# (a tool that needs something of the game is a sign that it belongs further down); tests,
# benchmarks and fuzz targets may use anything.
#
# Checked: every `#include "dir/file"` of a .h/.cpp under a layer folder (includes without
# a folder name are the folder's own or generated headers), and every link of a project
# target as CMake resolved it (GRAPH, written by tolvaran_write_link_graph); a target
# compiles only sources of its own layer and links what it needs of others. The libraries
# the platform wraps (SDL2, FreeType, fontconfig, FluidSynth) are the platform's alone
# among the product layers: nothing above it includes or links them.

cmake_minimum_required(VERSION 3.20)

# Layer (folder) -> rank, bottom to top.
set(layers
  platform=0
  runtime/values=1
  runtime/pictures=2  runtime/sound=2
  runtime/forms=3
  runtime/components=4  runtime/commands=4
  stage/pictures=5
  stage/model=6
  stage=7
  game=8
  app=9
  tools=10
  tests=11  bench=11  fuzz=11)
# Layers a layer may not use although they rank lower.
set(forbidden_tools game app)
# The libraries the platform wraps: header patterns and link names.
set(wrapped_headers "^SDL" "^ft2build\\.h" "^freetype/" "^fontconfig/" "^fluidsynth")
set(wrapped_links PkgConfig::SDL2 PkgConfig::FREETYPE PkgConfig::FONTCONFIG PkgConfig::FLUIDSYNTH)
set(product_layers platform runtime/values runtime/pictures runtime/sound runtime/forms
  runtime/components runtime/commands stage/pictures stage/model stage game app)
# Layers held to a few things below them, whatever their rank allows: the include
# prefixes they may use outside their own folder, and the layers they may link. The
# stage's object model runs without a window: no window tree, DC use, host, timer or form
# runtime, only the stage's pictures, rectangles and surfaces, and the font record
# (draw.h) that text objects carry.
set(confined_layers stage/model)
set(confined_includes_stage/model stage/pictures/ platform/types.h platform/surface.h
  platform/draw.h)
set(confined_links_stage/model stage/pictures platform)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers.cmake needs -DSOURCE_DIR=<tree>")
endif()

set(layer_names "")
foreach(pair ${layers})
  string(REPLACE "=" ";" parts ${pair})
  list(GET parts 0 name)
  list(GET parts 1 rank)
  set(rank_${name} ${rank})
  list(APPEND layer_names ${name})
endforeach()

# The layer of a path relative to the tree ("" when none): the longest layer folder that
# is a prefix of it.
function(layer_of path out)
  set(best "")
  foreach(name ${layer_names})
    string(FIND "${path}/" "${name}/" at)
    if(at EQUAL 0)
      string(LENGTH "${name}" n)
      string(LENGTH "${best}" b)
      if(n GREATER b)
        set(best ${name})
      endif()
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Whether layer `from` may use layer `to`.
function(may_use from to out)
  set(ok FALSE)
  if(from STREQUAL to OR rank_${to} LESS rank_${from})
    set(ok TRUE)
  endif()
  # Tests, benchmarks and fuzz targets share their support code (encoders, sample data).
  if(rank_${from} EQUAL rank_tests AND rank_${to} EQUAL rank_tests)
    set(ok TRUE)
  endif()
  if(from STREQUAL "tools" AND to IN_LIST forbidden_tools)
    set(ok FALSE)
  endif()
  set(${out} ${ok} PARENT_SCOPE)
endfunction()

set(failures 0)
macro(report what)
  message("layer violation: ${what}")
  math(EXPR failures "${failures} + 1")
endmacro()

# ---- includes ---------------------------------------------------------------------------
set(files "")
foreach(name ${layer_names})
  if(IS_DIRECTORY ${SOURCE_DIR}/${name})
    file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR}
      ${SOURCE_DIR}/${name}/*.h ${SOURCE_DIR}/${name}/*.cpp ${SOURCE_DIR}/${name}/*.c)
    list(APPEND files ${found})
  endif()
endforeach()
list(REMOVE_DUPLICATES files)
list(SORT files)

foreach(f ${files})
  layer_of(${f} from)
  file(STRINGS ${SOURCE_DIR}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line ${lines})
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+/[^\"]+)\"")
      set(header ${CMAKE_MATCH_1})
      layer_of(${header} to)
      if(to)
        may_use(${from} ${to} ok)
        if(NOT ok)
          report("${f} (${from}) includes \"${header}\" (${to})")
        elseif(from IN_LIST confined_layers AND NOT to STREQUAL from)
          set(allowed FALSE)
          foreach(prefix ${confined_includes_${from}})
            string(FIND "${header}" "${prefix}" at)
            if(at EQUAL 0)
              set(allowed TRUE)
            endif()
          endforeach()
          if(NOT allowed)
            report("${f} (${from}) includes \"${header}\", which ${from} keeps out")
          endif()
        endif()
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>" AND NOT from STREQUAL "platform"
           AND from IN_LIST product_layers)
      set(header ${CMAKE_MATCH_1})
      foreach(pattern ${wrapped_headers})
        if(header MATCHES "${pattern}")
          report("${f} (${from}) includes <${header}>, which only the platform wraps")
        endif()
      endforeach()
    endif()
  endforeach()
endforeach()

# ---- links ------------------------------------------------------------------------------
# One line per target: name|folder in the tree|layer override|links|sources in the tree.
if(GRAPH)
  file(STRINGS ${GRAPH} targets)
  foreach(line ${targets})
    string(REPLACE "|" ";" fields "${line}")
    list(GET fields 0 name)
    list(GET fields 1 dir)
    list(GET fields 2 override)
    if(override)
      set(layer_${name} ${override})
    else()
      layer_of("${dir}" layer_${name})
    endif()
  endforeach()
  foreach(line ${targets})
    string(REPLACE "|" ";" fields "${line}")
    list(GET fields 0 name)
    list(LENGTH fields n)
    set(from ${layer_${name}})
    if(NOT from OR n LESS 4)
      continue()
    endif()
    list(GET fields 3 deps)
    string(REPLACE "," ";" deps "${deps}")
    foreach(dep ${deps})
      if(DEFINED layer_${dep} AND layer_${dep})
        may_use(${from} ${layer_${dep}} ok)
        if(NOT ok)
          report("target ${name} (${from}) links ${dep} (${layer_${dep}})")
        elseif(from IN_LIST confined_layers AND NOT layer_${dep} STREQUAL from
               AND NOT layer_${dep} IN_LIST confined_links_${from})
          report("target ${name} (${from}) links ${dep} (${layer_${dep}}), which ${from} keeps out")
        endif()
      elseif(dep IN_LIST wrapped_links AND from IN_LIST product_layers
             AND NOT from STREQUAL "platform")
        report("target ${name} (${from}) links ${dep}, which only the platform wraps")
      endif()
    endforeach()
    # What a target needs from another layer it links; it compiles only its own layer's.
    if(n GREATER 4)
      list(GET fields 4 sources)
      string(REPLACE "," ";" sources "${sources}")
      foreach(source ${sources})
        layer_of("${source}" owner)
        if(owner AND NOT owner STREQUAL from)
          report("target ${name} (${from}) compiles ${source} (${owner}) instead of linking it")
        endif()
      endforeach()
    endif()
  endforeach()
endif()

list(LENGTH files file_count)
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} layer violation(s)")
endif()
message("layers: ${file_count} files checked, every include and link points down")
