# Common settings of every target of the project.

set(TALVEN_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(TALVEN_WERROR)
  list(APPEND TALVEN_WARNINGS -Werror)
endif()

if(TALVEN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing (clang only; fuzz/CMakeLists.txt has the targets): every library is
# built with coverage for libFuzzer and, unless TALVEN_FUZZ_SANITIZE is off
# (a build for many executions, whose corpus is then run under the
# sanitizers), with the sanitizers.
option(TALVEN_FUZZ "Build the libFuzzer targets (clang only)" OFF)
option(TALVEN_FUZZ_SANITIZE "Fuzz with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(TALVEN_FUZZ AND TALVEN_FUZZ_SANITIZE)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TALVEN_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(talven_target_defaults target)
  target_compile_options(${target} PRIVATE ${TALVEN_WARNINGS})
endfunction()

# talven_library(NAME SOURCES ... DEPS ...): one library target per source folder.
function(talven_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  talven_target_defaults(${name})
endfunction()

# talven_test(NAME SOURCES ... DEPS ... [LABELS ...]): one GoogleTest program;
# its cases are found when ctest runs, so building does not run them.
function(talven_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  talven_target_defaults(${name})
  set(props)
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENVIRONMENT)
    list(APPEND props ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES ${props})
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt,
# so that a new folder needs no edit of its parent.
function(talven_add_subfolders)
  file(GLOB children RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt")
  list(SORT children)
  foreach(child IN LISTS children)
    get_filename_component(dir "${child}" DIRECTORY)
    add_subdirectory("${dir}")
  endforeach()
endfunction()

# Libraries that the talven program links; a folder's CMakeLists adds its own
# with talven_app_uses(target).
function(talven_app_uses)
  set_property(GLOBAL APPEND PROPERTY TALVEN_APP_LIBRARIES ${ARGN})
endfunction()
