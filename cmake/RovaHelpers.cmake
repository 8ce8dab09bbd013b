# Helpers shared by the build of the console, its libraries and its tests.

# Copies a file next to the binaries after TARGET is built.
function(rova_copy_runtime_file target file)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/)
endfunction()

# rova_add_gtest(NAME <name> SOURCES <files...> [LIBS <libs...>] [RESOURCES] [TIMEOUT <s>])
# One test executable = one ctest entry: a Wine process start costs seconds, so cases are not
# registered one by one. RESOURCES links the console's resource script (dialogs, strings, PNGs).
function(rova_add_gtest)
  cmake_parse_arguments(T "RESOURCES" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  set(srcs ${T_SOURCES})
  if(T_RESOURCES)
    list(APPEND srcs ${ROVA_RESOURCE_SCRIPT})
    rova_resource_script_depends()
  endif()
  add_executable(${T_NAME} ${srcs})
  if(T_RESOURCES)
    rova_uses_version(${T_NAME})
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_options(${T_NAME} PRIVATE ${ROVA_WARNINGS})
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# rova_add_script_test(NAME <name> COMMAND <cmd...>): a native end-to-end test script run by ctest.
function(rova_add_script_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 900)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "ROVA_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};ROVA_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# The build's version (cmake/RovaVersion.cmake), refreshed at every build: a new commit changes it
# without a reconfigure. rova_version.txt beside the build's bin/ folder names it for the packaging.
set(ROVA_VERSION_HEADER ${CMAKE_BINARY_DIR}/generated/RovaVersion.h)
add_custom_target(rova_version
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBINARY_DIR=${CMAKE_BINARY_DIR}
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/RovaVersion.cmake
  BYPRODUCTS ${ROVA_VERSION_HEADER} ${CMAKE_BINARY_DIR}/rova_version.txt
  VERBATIM)

# Lets TARGET's resource scripts include RovaVersion.h (res/VersionInfo.rc does).
function(rova_uses_version target)
  add_dependencies(${target} rova_version)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
endfunction()

# rova_add_version_resource(<target> <description>): the version resource for a binary we ship that
# has no resource script of its own (the DLLs, console tools).
function(rova_add_version_resource target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(ROVA_FILE_NAME ${target}.exe)
    set(ROVA_FILE_TYPE VFT_APP)
  else()
    set(ROVA_FILE_NAME ${target}.dll)
    set(ROVA_FILE_TYPE VFT_DLL)
  endif()
  set(ROVA_FILE_DESCRIPTION "${description}")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT [[
#define ROVA_FILE_NAME "@ROVA_FILE_NAME@"
#define ROVA_FILE_TYPE @ROVA_FILE_TYPE@
#define ROVA_FILE_DESCRIPTION "@ROVA_FILE_DESCRIPTION@"
#include "@CMAKE_SOURCE_DIR@/res/VersionInfo.rc"
]] @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} APPEND PROPERTY OBJECT_DEPENDS
               ${ROVA_VERSION_HEADER} ${CMAKE_SOURCE_DIR}/res/VersionInfo.rc)
  rova_uses_version(${target})
endfunction()
