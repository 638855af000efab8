# tolvaran_fuzz_target(NAME SOURCE file LIBS libs... [INPUTS files-or-folders...] [DEPENDS targets...])
#
# One fuzz target (a file defining LLVMFuzzerTestOneInput). With g++ it links the replay
# driver, which runs every file it is given (folders recursively) once; with clang and
# -DTOLVARAN_LIBFUZZER=ON it links libFuzzer instead, which fuzzes when given a corpus
# folder and only replays it with -runs=0.
#
# CTest (test fuzz_replay_NAME) replays under the sanitizers: INPUTS, the seeds the build
# writes to <build>/fuzz/seeds/NAME, and from the tree fuzz/corpus/NAME (hand-made edge
# files no tool makes) and fuzz/regressions/NAME (inputs the fuzzer found that once
# failed), when they exist.
# libFuzzer steers by the coverage of the code under test, so every library is
# instrumented, not only the targets' own files. FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
# (the name fuzzing tools agree on) shrinks the decoders' size caps so that a run stays
# quick; such a build is for fuzzing only.
if(TOLVARAN_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TOLVARAN_LIBFUZZER needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_compile_definitions(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
endif()
# Every fuzz target with its seeds: `cmake --build <dir> --target tolvaran-fuzz`.
add_custom_target(tolvaran-fuzz)
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
  add_dependencies(tolvaran-fuzz ${name})
  if(F_DEPENDS)
    add_dependencies(${name} ${F_DEPENDS})
  endif()

  if(TOLVARAN_TESTS)
    set(inputs ${F_INPUTS} ${TOLVARAN_FUZZ_SEED_DIR}/${name})
    foreach(dir corpus regressions)
      if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/fuzz/${dir}/${name})
        list(APPEND inputs ${PROJECT_SOURCE_DIR}/fuzz/${dir}/${name})
      endif()
    endforeach()
    add_dependencies(${name} tolvaran-fuzz-corpus)
    add_test(NAME fuzz_replay_${name} COMMAND ${name} ${replay_flags} ${inputs})
    # A single allocation beyond 256 MiB (twice the largest canvas) means a length field
    # taken at its word, which ASan would otherwise grant lazily and let pass.
    set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 300 LABELS fuzz
      ENVIRONMENT "ASAN_OPTIONS=max_allocation_size_mb=256")
  endif()
endfunction()
