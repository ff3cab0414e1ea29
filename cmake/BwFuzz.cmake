# bw_add_fuzz(NAME SOURCES a.cpp ... LIBS bw_os ... SECONDS n [DICT file])
# One fuzz target over our own parsers (native only; never the Win32 host).
#   every native build: NAME_driver, which replays the target's seeds and its
#     regressions/ folder, registered as the test NAME_replay;
#   build/fuzz (BW_FUZZ=ON, clang, scripts/fuzz.sh): NAME, the libFuzzer
#     program, and a line in fuzz-targets/NAME.txt telling scripts/fuzz.sh how
#     long to run it and with which dictionary.
include_guard(GLOBAL)
option(BW_FUZZ "Build the libFuzzer targets (clang; scripts/fuzz.sh sets this)" OFF)
set(BW_FUZZ_COMMON_DIR "${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz/common" CACHE INTERNAL "")

function(bw_add_fuzz name)
  cmake_parse_arguments(F "" "SECONDS;DICT" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${name}_driver ${F_SOURCES} "${BW_FUZZ_COMMON_DIR}/driver.cpp")
  target_link_libraries(${name}_driver PRIVATE ${F_LIBS})
  if(BW_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(dict "")
    if(F_DICT)
      get_filename_component(dict "${F_DICT}" ABSOLUTE)
    endif()
    set(regressions "")
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/regressions")
      set(regressions "${CMAKE_CURRENT_SOURCE_DIR}/regressions")
    endif()
    # name|seconds|program|seed writer|dictionary|regressions
    file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/fuzz-targets/${name}.txt"
      CONTENT "${name}|${F_SECONDS}|$<TARGET_FILE:${name}>|$<TARGET_FILE:${name}_driver>|${dict}|${regressions}\n")
  else()
    add_test(NAME ${name}_replay COMMAND ${name}_driver "${CMAKE_CURRENT_SOURCE_DIR}/regressions")
    set_tests_properties(${name}_replay PROPERTIES TIMEOUT 300)
  endif()
endfunction()
