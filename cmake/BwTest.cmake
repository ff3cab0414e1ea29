# bw_add_test(NAME SOURCES a.cpp ... LIBS bw_os ...
#             [NATIVE_ONLY] [WIN32_ONLY] [MAIN] [PAGES] [INSTALLS] [OWN_DISPLAY] [TIMEOUT s]
#             [RESOURCES program|program=dir ...] [DEPENDS target ...] [DEFINITIONS def ...])
# One GoogleTest program per module. The same source builds natively and for
# Win32; the Win32 build runs it under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
# Everything a test needs is said here, so a name that does not exist (a
# library, a resource set, a program it runs) fails the configure step
# instead of making the test vanish.
#   MAIN: the test brings its own main(); otherwise gtest_main is linked.
#   PAGES: the wizard with every page (bw_link_pages).
#   RESOURCES: resource sets embedded in the test (bw_add_resources); a set of
#     the test's own is "program=folder".
#   DEPENDS: programs the test runs, built before it.
#   INSTALLS: it installs packages into the Wine machine (Windows folder,
#     machine-wide registry, services): one such test at a time.
#   OWN_DISPLAY: it edits tree labels on real windows, which end when another
#     program takes the focus: it runs alone under the Win32 host.
function(bw_add_test name)
  cmake_parse_arguments(T "NATIVE_ONLY;WIN32_ONLY;MAIN;PAGES;INSTALLS;OWN_DISPLAY" "TIMEOUT"
                        "SOURCES;LIBS;RESOURCES;DEPENDS;DEFINITIONS" ${ARGN})
  if(T_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "bw_add_test(${name}): unknown arguments ${T_UNPARSED_ARGUMENTS}")
  endif()
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  if(T_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} bw_gtest)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} bw_gtest_main)
  endif()
  if(T_PAGES)
    bw_link_pages(${name})
  endif()
  foreach(set ${T_RESOURCES})
    if(set MATCHES "^([^=]+)=(.+)$")
      bw_add_resources(${name} PROGRAM ${CMAKE_MATCH_1} DIR ${CMAKE_MATCH_2})
    else()
      bw_add_resources(${name} PROGRAM ${set})
    endif()
  endforeach()
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  if(T_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
  endif()
  if(WIN32)
    set_target_properties(${name} PROPERTIES SUFFIX ".exe")
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "BW_SOURCE_DIR=${CMAKE_SOURCE_DIR};BW_BINARY_DIR=${CMAKE_BINARY_DIR};BW_DIST_DIR=${BW_DIST_DIR};BW_DRIVEN_DIR=${BW_DRIVEN_DIR}")
  if(T_INSTALLS AND WIN32)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_machine)
  endif()
  if(T_OWN_DISPLAY AND WIN32 AND BW_WIN32_HOST)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()
