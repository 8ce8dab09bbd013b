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
