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
