# Compiler settings shared by every target.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_compile_options(-Wall -Wextra -Wshadow)
# CI makes warnings fatal for our own code; a developer build keeps them as warnings.
option(ZARNIK_WERROR "Treat warnings as errors" OFF)
if(ZARNIK_WERROR)
  add_compile_options(-Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Our sources keep Russian texts as UTF-8; the 1251 literal converts them at
  # compile time, so the execution charset stays UTF-8.
  add_compile_options(-finput-charset=UTF-8)
endif()

# What every test runs with: no display, and in the sanitizer build the leak
# suppressions of the font libraries' process-lifetime caches.
set(ZARNIK_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
if(ZARNIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  # Debian's gcc drops its usual --as-needed when sanitizing: every library
  # of a link line would become a dependency, and a headless program would
  # need the window system only because a library it links lists Qt.
  add_link_options(-fsanitize=address,undefined -Wl,--as-needed)
  # print_suppressions=0: the tally of suppressed leaks would otherwise end
  # every program's error output, which tests read.
  list(APPEND ZARNIK_TEST_ENVIRONMENT
       "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tools/lsan-suppressions.txt:print_suppressions=0")
endif()

if(ZARNIK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZARNIK_FUZZ needs clang: configure a build folder of its own with CC=clang CXX=clang++")
  endif()
  # Everything is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# zarnik_library(name SOURCES... [DEPS ...]) — one static library per folder.
# The sources named *_gui.cpp (the GUI companions) go to a second library,
# <name>_gui, by their name alone: it links <name>, platform_gui and the
# <dep>_gui of each dependency, so the model library never links the window
# system and a companion added later lands on the right side by itself.
# <name>_gui exists for every library (empty while the folder has no
# companion), so a program that talks to the user links it unconditionally.
# KEEP_GUI keeps the companions in the library itself: the program's own
# folder, whose library links platform_gui anyway.
function(zarnik_library name)
  cmake_parse_arguments(ZL "KEEP_GUI" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  set(model_sources ${ZL_SOURCES})
  if(NOT ZL_KEEP_GUI)
    list(FILTER model_sources EXCLUDE REGEX "_gui\\.cpp$")
  endif()
  set(gui_sources ${ZL_SOURCES})
  list(FILTER gui_sources INCLUDE REGEX "_gui\\.cpp$")
  add_library(${name} STATIC ${model_sources})
  target_link_libraries(${name} PUBLIC ${ZL_DEPS} PRIVATE ${ZL_PRIVATE_DEPS})
  if(name STREQUAL "platform_gui")
    return()
  endif()
  set(gui_deps ${name})
  foreach(dep IN LISTS ZL_DEPS)
    if(TARGET ${dep}_gui)
      list(APPEND gui_deps ${dep}_gui)
    endif()
  endforeach()
  if(gui_sources AND NOT ZL_KEEP_GUI)
    add_library(${name}_gui STATIC ${gui_sources})
    target_link_libraries(${name}_gui PUBLIC ${gui_deps} platform_gui)
  else()
    add_library(${name}_gui INTERFACE)
    target_link_libraries(${name}_gui INTERFACE ${gui_deps})
  endif()
endfunction()

# zarnik_test(name SOURCES... DEPS ...) — one GoogleTest program per library.
function(zarnik_test name)
  cmake_parse_arguments(ZT "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ZT_SOURCES})
  target_link_libraries(${name} PRIVATE ${ZT_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(ZARNIK_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # Instrumented, gcc 12 warns falsely inside std::regex (a std::function
    # "may be used uninitialized"), which tests use to read external tools'
    # output: the warning is off for the test sources that include <regex>,
    # and the plain build keeps it for them.
    foreach(source IN LISTS ZT_SOURCES)
      file(STRINGS ${source} uses_regex REGEX "^#include <regex>")
      if(uses_regex)
        set_source_files_properties(${source} PROPERTIES COMPILE_OPTIONS -Wno-maybe-uninitialized)
      endif()
    endforeach()
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_LIST ${name}_TESTS
    DISCOVERY_TIMEOUT 60)
  # The environment is set on the discovered tests by an include file of our
  # own, read after the discovery's: handed to the discovery as a property, a
  # list of variables keeps only its first entry.
  set(environment ${ZARNIK_TEST_ENVIRONMENT} "ZARNIK_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${include_file}
       "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${environment}]==])\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# zarnik_bench(name SOURCES... DEPS ... [SMOKE_ARGS ...]) — one Google
# Benchmark program. ctest runs each of its benchmarks once for the shortest
# time (a smoke run: it builds, starts and finishes; its figures are not
# checked). SMOKE_ARGS adds arguments to that run, e.g. a filter that leaves
# out a benchmark that takes real wire time by design.
# HEADLESS marks a program that must link no window system (the check
# headless_link holds it to that).
function(zarnik_bench name)
  cmake_parse_arguments(ZB "HEADLESS" "" "SOURCES;DEPS;SMOKE_ARGS" ${ARGN})
  add_executable(${name} ${ZB_SOURCES})
  if(ZB_HEADLESS)
    zarnik_headless_program(${name})
  endif()
  target_link_libraries(${name} PRIVATE ${ZB_DEPS} benchmark::benchmark)
  if(ZARNIK_BUILD_TESTS)
    add_test(NAME bench_smoke.${name} COMMAND ${name} --benchmark_min_time=0 --benchmark_repetitions=1 ${ZB_SMOKE_ARGS})
    set_tests_properties(bench_smoke.${name} PROPERTIES LABELS bench ENVIRONMENT "${ZARNIK_TEST_ENVIRONMENT}")
  endif()
endfunction()

# zarnik_headless_program(target) — the program must run where there is no
# display: ctest's headless_link fails when it links Qt, GTK, X11 or xcb.
function(zarnik_headless_program target)
  set_property(GLOBAL APPEND PROPERTY ZARNIK_HEADLESS_PROGRAMS ${target})
endfunction()

# zarnik_fuzz(name SOURCES... DEPS ...) — one fuzz target, seeds in
# tests/fuzz/corpus/<name>/. With ZARNIK_FUZZ (clang) it links libFuzzer's
# main; in the ordinary build it links a replay main instead and ctest runs it
# over the seeds, so no target goes unbuilt or unrun.
function(zarnik_fuzz name)
  cmake_parse_arguments(ZF "" "" "SOURCES;DEPS" ${ARGN})
  if(ZARNIK_FUZZ)
    add_executable(${name} ${ZF_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${name} ${ZF_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    add_test(NAME fuzz_replay.${name} COMMAND ${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
    # A fuzz target links no window system, so it runs with no display and
    # no toolkit platform set at all.
    set(fuzz_environment ${ZARNIK_TEST_ENVIRONMENT})
    list(FILTER fuzz_environment EXCLUDE REGEX "^QT_QPA_PLATFORM=")
    set_tests_properties(fuzz_replay.${name} PROPERTIES LABELS fuzz ENVIRONMENT "${fuzz_environment}"
                         ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:;QT_QPA_PLATFORM=unset:")
  endif()
  target_link_libraries(${name} PRIVATE ${ZF_DEPS})
  zarnik_headless_program(${name})
endfunction()
