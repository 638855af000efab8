# The Debian package (`cpack -G DEB`, scripts/package.sh) and what it adds to the
# install: the copyright file, the compressed changelog and manual, AppStream metadata
# and a screenshot the game takes of itself.
#
# One source for each fact: the version is the project's, the homepage the game link's
# web address (game/game.form), the releases the changelog's, categories and keywords the
# menu entry's, the summary and description packaging/ files shared by the package and
# the metadata.

set(TOLVARAN_APPSTREAM_ID "example.tolvaran.Tolvaran")
set(TOLVARAN_MAINTAINER "Tolvaran maintainers <maintainers@tolvaran.example>")
set(TOLVARAN_SUMMARY "Side-view action game of a hero, a blade and two monsters")
set(pkg_dir ${PROJECT_SOURCE_DIR}/packaging)
set(pkg_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${pkg_out})

# Facts read from other files: changing them reconfigures.
set(form ${PROJECT_SOURCE_DIR}/game/game.form)
set(desktop ${PROJECT_SOURCE_DIR}/app/tolvaran.desktop)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${form} ${desktop} ${pkg_dir}/changelog ${pkg_dir}/description.txt ${pkg_dir}/metainfo.xml.in)

file(STRINGS ${form} web REGEX "^[ \t]*WebAddress \"")
string(REGEX REPLACE "^[ \t]*WebAddress \"([^\"]*)\".*" "\\1" TOLVARAN_HOMEPAGE "${web}")
if(NOT TOLVARAN_HOMEPAGE MATCHES "^https?://[^/ ;]+")
  message(FATAL_ERROR "no web address for the homepage in ${form}: '${TOLVARAN_HOMEPAGE}'")
endif()
string(REGEX REPLACE "/$" "" site "${TOLVARAN_HOMEPAGE}")
set(TOLVARAN_SCREENSHOT_URL "${site}/screenshots/tolvaran.png")

function(xml_escape text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Description: paragraphs apart by a blank line, one <p> each in the metadata.
file(READ ${pkg_dir}/description.txt description)
string(STRIP "${description}" description)
xml_escape("${description}" text)
string(REGEX REPLACE "\n\n+" "</p>\n    <p>" text "${text}")
string(REPLACE "\n" " " text "${text}")
string(REPLACE "</p>     <p>" "</p>\n    <p>" TOLVARAN_DESCRIPTION_XML "    <p>${text}</p>")

# Categories and keywords of the menu entry; the generic "Game" group is implied.
function(desktop_list key element out)
  file(STRINGS ${desktop} line REGEX "^${key}=")
  string(REGEX REPLACE "^${key}=" "" line "${line}")
  string(REPLACE "\\;" ";" line "${line}")  # file(STRINGS) escapes the separators
  set(xml "")
  foreach(item ${line})
    if(NOT item STREQUAL "")
      string(APPEND xml "    <${element}>${item}</${element}>\n")
    endif()
  endforeach()
  string(REGEX REPLACE "\n$" "" xml "${xml}")
  set(${out} "${xml}" PARENT_SCOPE)
endfunction()
desktop_list(Categories category TOLVARAN_CATEGORIES_XML)
desktop_list(Keywords keyword TOLVARAN_KEYWORDS_XML)

# Releases: every entry of the changelog, newest first, which must be this version.
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
file(STRINGS ${pkg_dir}/changelog heads REGEX "^tolvaran \\(")
file(STRINGS ${pkg_dir}/changelog trailers REGEX "^ -- ")
list(LENGTH heads releases)
list(LENGTH trailers dated)
if(releases EQUAL 0 OR NOT releases EQUAL dated)
  message(FATAL_ERROR "${pkg_dir}/changelog: every entry needs its heading and its ' -- ' line")
endif()
set(TOLVARAN_RELEASES_XML "")
math(EXPR last "${releases} - 1")
foreach(i RANGE ${last})
  list(GET heads ${i} head)
  list(GET trailers ${i} trailer)
  string(REGEX REPLACE "^tolvaran \\(([^)]*)\\).*" "\\1" version "${head}")
  if(NOT trailer MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "${pkg_dir}/changelog: no date in '${trailer}'")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  list(FIND months ${CMAKE_MATCH_2} month)
  math(EXPR month "${month} + 1")
  if(month LESS 10)
    set(month "0${month}")
  endif()
  if(i EQUAL 0 AND NOT version STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "the newest entry of ${pkg_dir}/changelog is ${version}, the project is ${PROJECT_VERSION}")
  endif()
  string(APPEND TOLVARAN_RELEASES_XML "    <release version=\"${version}\" date=\"${year}-${month}-${day}\"/>\n")
endforeach()
string(REGEX REPLACE "\n$" "" TOLVARAN_RELEASES_XML "${TOLVARAN_RELEASES_XML}")

xml_escape("${TOLVARAN_SUMMARY}" TOLVARAN_SUMMARY_XML)
set(metainfo ${pkg_out}/${TOLVARAN_APPSTREAM_ID}.metainfo.xml)
configure_file(${pkg_dir}/metainfo.xml.in ${metainfo} @ONLY)

# Compressed as Debian wants them: gzip -9, and -n so that the bytes do not depend on
# when or where they were built.
find_program(GZIP gzip REQUIRED)
function(gzip_copy source target)
  string(REGEX REPLACE "\\.gz$" "" plain ${target})
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${GZIP} -9nf ${plain}
    DEPENDS ${source} VERBATIM)
endfunction()
gzip_copy(${PROJECT_SOURCE_DIR}/app/tolvaran.6 ${pkg_out}/tolvaran.6.gz)
gzip_copy(${pkg_dir}/changelog ${pkg_out}/changelog.gz)

# The screenshot of the metadata, taken by the game: the blade striking the ogre.
set(screenshot ${pkg_out}/tolvaran.png)
add_custom_command(OUTPUT ${screenshot}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:tolvaran>
          --headless --mute --script ${PROJECT_SOURCE_DIR}/tests/golden/heal.txt
          --run-for 5700 --screenshot 5700:${screenshot}
  DEPENDS tolvaran tolvaran-picture-folders ${PROJECT_SOURCE_DIR}/tests/golden/heal.txt
  COMMENT "Taking the game's screenshot for its metadata" VERBATIM)
add_custom_target(tolvaran-package-files ALL
  DEPENDS ${pkg_out}/tolvaran.6.gz ${pkg_out}/changelog.gz ${screenshot})

install(FILES ${pkg_out}/tolvaran.6.gz DESTINATION share/man/man6)
install(FILES ${pkg_dir}/copyright ${pkg_out}/changelog.gz ${screenshot}
  DESTINATION ${TOLVARAN_INSTALL_DOCDIR})
install(FILES ${metainfo} DESTINATION share/metainfo)

# The package itself.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvaran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrin")
set(CPACK_PACKAGE_CONTACT "${TOLVARAN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TOLVARAN_SUMMARY}")
# Given as text: CPack would read a description file as XML-escaped ("hero&apos;s").
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TOLVARAN_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOLVARAN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found at run time rather than linked: the General MIDI sound font FluidSynth plays the
# tune with (either of the fonts the game looks for) and the two Chinese faces of its
# captions and labels.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | fluid-soundfont-gm, fonts-wqy-zenhei, fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
