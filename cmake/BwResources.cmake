# bw_add_resources(TARGET PROGRAM name [DIR folder] [COMPILED_ONLY])
# The resources of one program: DIR (default resources/<name>) holds resource.h
# and .rc files, dialogs/*.rc one template each. Win32: windres compiles every
# .rc into TARGET. Both builds: the same files are embedded as text so the
# headless host and the scenario runner read the very same templates.
# COMPILED_ONLY (a program on the Win32 host that no scenario drives): the
# compiled resources alone, without their text copy.


function(bw_add_resources target)
  set(BW_RESOURCES_EMBED_SCRIPT "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/BwEmbedResources.cmake")
  cmake_parse_arguments(R "COMPILED_ONLY" "PROGRAM;DIR" "" ${ARGN})
  if(NOT R_PROGRAM)
    message(FATAL_ERROR "bw_add_resources(${target}): PROGRAM is required")
  endif()
  if(NOT R_DIR)
    set(R_DIR "${CMAKE_SOURCE_DIR}/resources/${R_PROGRAM}")
  endif()
  get_filename_component(R_DIR "${R_DIR}" ABSOLUTE)
  file(GLOB_RECURSE rc_files CONFIGURE_DEPENDS "${R_DIR}/*.rc")
  file(GLOB_RECURSE h_files CONFIGURE_DEPENDS "${R_DIR}/*.h")
  file(GLOB_RECURSE bin_files CONFIGURE_DEPENDS "${R_DIR}/*.ico" "${R_DIR}/*.bmp")
  file(GLOB shared_files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/*.manifest")
  list(APPEND bin_files ${shared_files})
  list(SORT rc_files)
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_${R_PROGRAM}_res")
  if(WIN32)
    foreach(rc ${rc_files})
      file(RELATIVE_PATH rel "${R_DIR}" "${rc}")
      string(MAKE_C_IDENTIFIER "${rel}" obj)
      get_filename_component(rc_dir "${rc}" DIRECTORY)
      add_custom_command(OUTPUT "${out_dir}/${obj}.o"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${out_dir}"
        COMMAND ${CMAKE_RC_COMPILER} -O coff -I "${rc_dir}" -I "${R_DIR}"
                "-DBW_FILE_VERSION=${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0"
                -i "${rc}" -o "${out_dir}/${obj}.o"
        DEPENDS "${rc}" ${h_files} ${bin_files}
        WORKING_DIRECTORY "${rc_dir}"
        COMMENT "windres ${R_PROGRAM}/${rel}")
      set_source_files_properties("${out_dir}/${obj}.o" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
      target_sources(${target} PRIVATE "${out_dir}/${obj}.o")
    endforeach()
  endif()
  if(R_COMPILED_ONLY AND WIN32 AND BW_WIN32_HOST)
    return()
  endif()
  set(embedded "${out_dir}/embedded_resources.cpp")
  add_custom_command(OUTPUT "${embedded}"
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=${R_PROGRAM} -DDIR=${R_DIR} -DOUT=${embedded}
            -P "${BW_RESOURCES_EMBED_SCRIPT}"
    DEPENDS ${rc_files} ${h_files} "${BW_RESOURCES_EMBED_SCRIPT}"
    COMMENT "embedding ${R_PROGRAM} resources")
  target_sources(${target} PRIVATE "${embedded}")
endfunction()
