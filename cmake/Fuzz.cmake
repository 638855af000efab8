# tolvaran_fuzz_target(NAME SOURCE file LIBS libs... [INPUTS files-or-folders...] [DEPENDS targets...])
#
# One fuzz target (a file defining LLVMFuzzerTestOneInput). With g++ it links the replay
# driver, which runs every file it is given (folders recursively) once; with clang and
# -DTOLVARAN_LIBFUZZER=ON it links libFuzzer instead, which fuzzes when given a corpus
# folder and only replays it with -runs=0.
#
# CTest (test fuzz_replay_NAME) replays under the sanitizers: INPUTS, the seeds the build
# writes to <build>/fuzz/corpus/NAME, and fuzz/corpus/NAME in the tree when it exists
# (the place for inputs that once crashed, so they stay regression tests).
# libFuzzer steers by the coverage of the code under test, so every library is
# instrumented, not only the targets' own files.
if(TOLVARAN_LIBFUZZER)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
set(TOLVARAN_FUZZ_SEED_DIR ${CMAKE_BINARY_DIR}/fuzz/seeds CACHE INTERNAL "generated fuzz seeds")

function(tolvaran_fuzz_target name)
  cmake_parse_arguments(F "" "SOURCE" "LIBS;INPUTS;DEPENDS" ${ARGN})
  if(TOLVARAN_LIBFUZZER)
    add_executable(${name} ${F_SOURCE})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(replay_flags -runs=0)
  else()
    add_executable(${name} ${F_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/replay_driver.cpp)
    set(replay_flags "")
  endif()
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(F_DEPENDS)
    add_dependencies(${name} ${F_DEPENDS})
  endif()

  if(TOLVARAN_TESTS AND TARGET tolvaran-fuzz-seeds)
    set(inputs ${F_INPUTS} ${TOLVARAN_FUZZ_SEED_DIR}/${name})
    if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
      list(APPEND inputs ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    endif()
    add_dependencies(${name} tolvaran-fuzz-corpus)
    add_test(NAME fuzz_replay_${name} COMMAND ${name} ${replay_flags} ${inputs})
    set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
  endif()
endfunction()
