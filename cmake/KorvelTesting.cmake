# korvel_add_test(NAME <name> SOURCES <files...> [LIBRARIES <targets...>] [ENVIRONMENT <VAR=value...>])
#
# The one way a test executable is added: it is linked with GoogleTest, built
# into build/tests/ and registered with CTest. Tests run headless and in their
# own temporary folders, so the environment points the registry stand-in at a
# file that does not exist unless the test makes it.
if(KORVEL_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
endif()

function(korvel_add_test)
  if(NOT KORVEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVEL_REGISTRY=${CMAKE_BINARY_DIR}/tests/no-such-registry.reg;KORVEL_BIN_DIR=${KORVEL_BIN_DIR};${KORVEL_SANITIZER_ENVIRONMENT};${T_ENVIRONMENT}"
    TIMEOUT 300)
endfunction()
