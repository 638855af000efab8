# tolvaran_layer(NAME DIR [DEPS ...]) makes one static library from every .cpp under DIR.
# A layer whose folder holds no sources yet becomes an INTERFACE target, so the
# layers above can already name it.
function(tolvaran_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# Adds every immediate sub-folder of DIR that has a CMakeLists.txt of its own.
function(tolvaran_add_subdirs dir)
  file(GLOB children RELATIVE ${PROJECT_SOURCE_DIR}/${dir} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${PROJECT_SOURCE_DIR}/${dir}/${child})
    endif()
  endforeach()
endfunction()

# tolvaran_test(NAME SOURCES... LIBS ...) : one GoogleTest executable registered with CTest.
function(tolvaran_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 ENVIRONMENT "SDL_AUDIODRIVER=dummy;TOLVARAN_TEST=1")
endfunction()

# Writes every target of the project with its folder, its direct links and its sources in
# the tree, one line each (name|folder|layer|link,...|source,...), for the layer check
# (cmake/CheckLayers.cmake). A target whose folder is not its layer says so in its
# TOLVARAN_LAYER property.
function(tolvaran_write_link_graph file)
  tolvaran_project_targets(all)
  set(text "")
  foreach(t ${all})
    get_target_property(dir ${t} SOURCE_DIR)
    get_target_property(type ${t} TYPE)
    set(links "")
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      if(type STREQUAL "INTERFACE_LIBRARY" AND property STREQUAL "LINK_LIBRARIES")
        continue()
      endif()
      get_target_property(value ${t} ${property})
      if(value)
        list(APPEND links ${value})
      endif()
    endforeach()
    # $<LINK_ONLY:x> (a static library's private link) is still a link.
    list(TRANSFORM links REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1")
    list(REMOVE_DUPLICATES links)
    string(REPLACE ";" "," links "${links}")
    set(files "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(sources ${t} SOURCES)
      foreach(source ${sources})
        if(source MATCHES "\\$<")
          continue()
        endif()
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${dir})
        string(FIND "${path}" "${CMAKE_BINARY_DIR}/" generated)
        file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${path})
        if(NOT generated EQUAL 0 AND NOT path MATCHES "^\\.\\./")
          list(APPEND files ${path})
        endif()
      endforeach()
    endif()
    string(REPLACE ";" "," files "${files}")
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
    get_target_property(layer ${t} TOLVARAN_LAYER)
    if(NOT layer)
      set(layer "")
    endif()
    string(APPEND text "${t}|${folder}|${layer}|${links}|${files}\n")
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()

# Every target defined in the project's folders, in folder order.
function(tolvaran_project_targets out)
  set(dirs ${PROJECT_SOURCE_DIR})
  set(result "")
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND result ${targets})
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Our warnings go to our own code only, target by target, so that code from elsewhere
# compiled into the build (a fetched or vendored library) keeps its own settings.
# GCC 12 with the sanitizers misreads libstdc++'s std::regex (pulled in by GoogleTest's
# death tests) as using uninitialised members; the plain build stays fully warned.
add_library(tv_warnings INTERFACE)
target_compile_options(tv_warnings INTERFACE -Wall -Wextra
  $<$<AND:$<BOOL:${TOLVARAN_SANITIZE}>,$<CXX_COMPILER_ID:GNU>>:-Wno-maybe-uninitialized>)

# Gives every compiled target of the project the warnings; call once, after the last one.
function(tolvaran_apply_warnings)
  tolvaran_project_targets(all)
  foreach(t ${all})
    get_target_property(type ${t} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      target_link_libraries(${t} PRIVATE tv_warnings)
    endif()
  endforeach()
endfunction()
