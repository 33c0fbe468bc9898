# Compiler flags shared by every target, and helpers for tests, fuzzers and benchmarks.

add_compile_options(-Wall -Wextra -Wpedantic -Werror)

if(PELLORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(PELLORA_TSAN)
  if(PELLORA_SANITIZE)
    message(FATAL_ERROR "PELLORA_TSAN and PELLORA_SANITIZE exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(PELLORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PELLORA_FUZZ needs clang")
  endif()
  # Instrument everything for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Every sanitizer report fails the test that made it.
set(PELLORA_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1;TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")

# pellora_add_test(name [THREADS] SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest program; every test in it is registered with CTest. THREADS marks a program
# whose tests run several threads: its tests carry the label "threads", and the ThreadSanitizer
# build (preset tsan) builds and runs those programs.
function(pellora_add_test name)
  cmake_parse_arguments(T "THREADS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(properties ENVIRONMENT "${PELLORA_SANITIZER_ENV}")
  if(T_THREADS)
    list(APPEND properties LABELS threads)
    add_dependencies(pellora_thread_tests ${name})
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# pellora_add_fuzzer(name SOURCES f.cpp LIBS lib CORPUS dir)
# A libFuzzer target; its seed corpus is replayed once as an ordinary test.
function(pellora_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  if(F_CORPUS)
    add_test(NAME ${name}_seeds COMMAND ${name} -runs=0 ${F_CORPUS})
  endif()
endfunction()

# pellora_add_benchmark(name SOURCES b.cpp LIBS lib)
function(pellora_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# add_subdirectory for each listed folder that exists, so subsystems can land one at a time.
function(pellora_add_existing)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
