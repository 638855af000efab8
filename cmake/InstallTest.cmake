# Installs the build into a scratch prefix and checks what a user gets: the program, its
# picture folders, the menu entry (desktop-file-validate), the icon in every size, a
# manual that names every option (and that groff reads without a warning), the documents
# and metadata, and the installed game started headless from elsewhere, finding its
# pictures.
#
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch folder> [-DBINDIR=bin -DDATADIR=share/tolvaran]
#         -P InstallTest.cmake
#
# BINDIR and DATADIR are the build's layout (games and share/games/tolvaran for Debian's).

cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/LevelCheck.cmake)
foreach(v BUILD_DIR PREFIX)
  if(NOT ${v})
    message(FATAL_ERROR "InstallTest.cmake needs -D${v}=...")
  endif()
endforeach()
if(NOT BINDIR)
  set(BINDIR bin)
endif()
if(NOT DATADIR)
  set(DATADIR share/tolvaran)
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " shown)
    message(FATAL_ERROR "failed (${rc}): ${shown}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_file path)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}")

# The program and its files.
expect_file(${BINDIR}/tolvaran)
if(EXISTS "${PREFIX}/${BINDIR}/图片集合")
  message(FATAL_ERROR "the picture folders belong under ${DATADIR}, not ${BINDIR}/")
endif()
foreach(folder 图片集合 怪物图片)
  file(GLOB built RELATIVE "${BUILD_DIR}/assets/${folder}" "${BUILD_DIR}/assets/${folder}/*")
  list(LENGTH built count)
  if(count EQUAL 0)
    message(FATAL_ERROR "no generated pictures in ${BUILD_DIR}/assets/${folder}")
  endif()
  foreach(f ${built})
    expect_file("${DATADIR}/${folder}/${f}")
  endforeach()
endforeach()

# The menu entry, checked by the desktop's own validator, and what it points at.
set(desktop "${PREFIX}/share/applications/tolvaran.desktop")
expect_file(share/applications/tolvaran.desktop)
find_program(VALIDATE desktop-file-validate REQUIRED)
run(${VALIDATE} "${desktop}")
file(STRINGS "${desktop}" exec REGEX "^Exec=")
file(STRINGS "${desktop}" icon REGEX "^Icon=")
if(NOT exec STREQUAL "Exec=tolvaran" OR NOT icon STREQUAL "Icon=tolvaran")
  message(FATAL_ERROR "the menu entry names '${exec}' and '${icon}'")
endif()
foreach(n 16 32 48 64 128 256)
  set(png "share/icons/hicolor/${n}x${n}/apps/tolvaran.png")
  expect_file(${png})
  picture_size("${PREFIX}/${png}" size)
  if(NOT size STREQUAL "${n}x${n}")
    message(FATAL_ERROR "${png} is ${size}")
  endif()
endforeach()

# The manual, compressed as man finds it: every option of --help is in it, and groff finds
# nothing to warn about.
expect_file(share/man/man6/tolvaran.6.gz)
set(manual "${PREFIX}/tolvaran.6")
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -dc "${PREFIX}/share/man/man6/tolvaran.6.gz" OUTPUT_FILE "${manual}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip -dc on the manual failed (${rc})")
endif()
run("${PREFIX}/${BINDIR}/tolvaran" --help)
string(REGEX MATCHALL "(^|[ \n])--[a-z-]+" options "${out}")
file(READ "${manual}" man)
string(REPLACE "\\-" "-" man "${man}")
set(seen "")
foreach(o ${options})
  string(STRIP "${o}" o)
  list(APPEND seen ${o})
  string(FIND "${man}" "${o}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the manual does not describe ${o}")
  endif()
endforeach()
list(LENGTH seen count)
if(count LESS 9)
  message(FATAL_ERROR "--help listed only: ${seen}")
endif()
find_program(GROFF groff REQUIRED)
execute_process(COMMAND ${GROFF} -t -man -ww -z "${manual}" RESULT_VARIABLE rc ERROR_VARIABLE warnings)
if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff on the manual: ${warnings}")
endif()

# The package's documents and the software centres' metadata beside the menu entry.
foreach(f share/doc/tolvaran/copyright share/doc/tolvaran/changelog.gz share/doc/tolvaran/tolvaran.png)
  expect_file(${f})
endforeach()
file(GLOB metainfo "${PREFIX}/share/metainfo/*.metainfo.xml")
list(LENGTH metainfo count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "share/metainfo holds ${count} metadata files")
endif()

# The installed game, started from another folder, into the level and out again,
# finding its pictures in DATADIR (cmake/LevelCheck.cmake).
tolvaran_check_level("${PREFIX}/${BINDIR}/tolvaran" "${PREFIX}/${DATADIR}" "${PREFIX}/run")

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed, validated and started from ${PREFIX}")
