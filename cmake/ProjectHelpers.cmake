include(GoogleTest)

# add_child_directories(): add_subdirectory() for every child folder that has a CMakeLists.txt,
# in name order, so a new area needs no edit of its parent's list.
function(add_child_directories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# add_folder_library(<target> [SHARED|STATIC] [LIBS <libs...>] [EXCLUDE <files...>])
# A library from every .cpp file in the current folder.
function(add_folder_library target)
  cmake_parse_arguments(ARG "SHARED;STATIC" "" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  set(kind STATIC)
  if(ARG_SHARED)
    set(kind SHARED)
  endif()
  add_library(${target} ${kind} ${sources})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
endfunction()

# add_folder_tests(<target> LABEL <top folder> [THREADS] [LIBS <libs...>])
# One test program from every *_test.cpp in the current folder, each test registered with CTest
# under the label of its top folder (platform, teskautils, velomar, todayvelomar, cumulor, tools).
# Tests run in the folder's build directory: a library that opens the default device folder when
# it loads (before a test has made its own) then leaves nothing in the source tree.
# THREADS marks threaded code: the program also joins the `threaded_tests` target and its tests
# carry the label `threads`, which the ThreadSanitizer pass builds and runs.
function(add_folder_tests target)
  cmake_parse_arguments(ARG "THREADS" "LABEL" "LIBS;EXTRA_LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()  # a folder whose tests are not written yet
  endif()
  add_executable(${target} ${sources})
  # GoogleTest is also inside the shared platform_testing: it must come before the static GTest
  # libraries on the link line, or the program holds two copies of GoogleTest's globals (freed
  # twice at exit). platform_testing_process alone would bring it only after them.
  if("platform_testing_process" IN_LIST ARG_LIBS AND NOT "platform_testing" IN_LIST ARG_LIBS)
    list(APPEND ARG_LIBS platform_testing)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(ARG_THREADS)
    list(APPEND ARG_EXTRA_LABELS threads)
    add_dependencies(threaded_tests ${target})
  endif()
  # Every run goes through tests/run_whole.sh, which fails a program that ended before its tests did.
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/run_whole.sh)
  # The test list is read when the program is linked, alongside the rest of the build, rather than
  # by ctest one program after another before the first test starts.
  gtest_discover_tests(${target}
    DISCOVERY_MODE POST_BUILD
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_LIST ${target}_TESTS
    PROPERTIES TIMEOUT 120)
  # Labels are set after discovery, from the list it leaves (a label list cannot pass through
  # gtest_discover_tests' PROPERTIES).
  set(labels ${ARG_LABEL} ${ARG_EXTRA_LABELS})
  set(label_script ${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake)
  file(WRITE ${label_script}
    "foreach(t IN LISTS ${target}_TESTS)\n  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${labels}\")\nendforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_script})
endfunction()

# add_platform_area(<area> [LIBS <libs...>] [EXCLUDE <files...>])
# The shared library platform_<area> from the .cpp files of platform/<area>/, and part of `platform`.
function(add_platform_area area)
  add_folder_library(platform_${area} SHARED ${ARGN})
  set_property(GLOBAL APPEND PROPERTY PLATFORM_AREAS platform_${area})
endfunction()

# add_folder_sources(<target> [EXCLUDE <files...>])
# Adds every .cpp file of the current folder to a library made elsewhere, so that several folders
# build one library (each folder adds its own sources).
function(add_folder_sources target)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(sources)
    target_sources(${target} PRIVATE ${sources})
  endif()
endfunction()

# folder_targets(<out> <folders...>)
# Every target made under the named top folders (those that exist), their sub-folders included.
function(folder_targets out)
  set(found)
  set(dirs)
  foreach(folder IN LISTS ARGN)
    if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} AND EXISTS ${PROJECT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      list(APPEND dirs ${PROJECT_SOURCE_DIR}/${folder})
    endif()
  endforeach()
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND found ${targets})
    get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${children})
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# add_programs_target(<target> <folders...>)
# <target> builds what the named top folders build by default (programs, libraries, tools, the
# files they generate), and nothing of the tests or benchmarks: what a device needs to run.
function(add_programs_target target)
  folder_targets(targets ${ARGN})
  set(found)
  foreach(t IN LISTS targets)
    get_target_property(kind ${t} TYPE)
    get_target_property(excluded ${t} EXCLUDE_FROM_ALL)
    if(kind STREQUAL "INTERFACE_LIBRARY" OR excluded)
      continue()
    endif()
    list(APPEND found ${t})
  endforeach()
  add_custom_target(${target})
  if(found)
    add_dependencies(${target} ${found})
  endif()
endfunction()

# write_link_graph(<file> <folders...>)
# Writes every library made under the named top folders, a line each:
# <name>|<source folder relative to the top>|<libraries it links, separated by ';'>
# (what scripts/check_layering.py reads).
function(write_link_graph file)
  folder_targets(targets ${ARGN})
  set(lines "")
  foreach(t IN LISTS targets)
    get_target_property(kind ${t} TYPE)
    if(NOT kind MATCHES "^(STATIC|SHARED|MODULE)_LIBRARY$")
      continue()
    endif()
    get_target_property(libs ${t} LINK_LIBRARIES)
    if(NOT libs)
      set(libs "")
    endif()
    get_target_property(dir ${t} SOURCE_DIR)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
    string(APPEND lines "${t}|${rel}|${libs}\n")
  endforeach()
  file(WRITE ${file} "${lines}")
endfunction()
