# add_program_resources(<target> [FOLDER <res folder>] [MODULE <module name>])
# Builds the program's resources into <target>: the resource texts <folder>/*.txt, read in name
# order as one set, and every file of the folder's sub-folders (named in the texts by its path
# relative to the folder). A fault in a text, or a resource of one kind and id defined in two
# texts, fails the build with the file names (resource_check). MODULE is the module the resources
# belong to: empty (the default) for a program, the library's name ("TodayVelomar") for a shared
# library.
set(CE_EMBED_RESOURCES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources_script.cmake)

function(add_program_resources target)
  cmake_parse_arguments(ARG "" "FOLDER;MODULE" "" ${ARGN})
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${CMAKE_CURRENT_SOURCE_DIR}/res)
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${ARG_FOLDER}/*)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND resource_check ${ARG_FOLDER}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${ARG_FOLDER} -DOUT=${out} -DMODULE=${ARG_MODULE} -P ${CE_EMBED_RESOURCES_SCRIPT}
    DEPENDS ${files} ${CE_EMBED_RESOURCES_SCRIPT} resource_check
    COMMENT "Building the resources of ${target}")
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE platform_resources)
endfunction()
