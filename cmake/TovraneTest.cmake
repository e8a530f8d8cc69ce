# tovrane_add_test(NAME name SOURCES ... LIBS ... [MAIN plain|gui|widgets])
#   plain:   GoogleTest's own main
#   gui:     a QGuiApplication (offscreen when no display) around the tests
#   widgets: a QApplication (offscreen when no display) around the tests
# Tests are discovered when ctest runs, not at build time, so building never starts
# a test binary.
include(GoogleTest)
find_package(GTest REQUIRED)

function(tovrane_add_test)
  cmake_parse_arguments(T "" "NAME;MAIN" "SOURCES;LIBS" ${ARGN})
  if(NOT T_MAIN)
    set(T_MAIN plain)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_MAIN STREQUAL "plain")
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  elseif(T_MAIN STREQUAL "gui")
    target_link_libraries(${T_NAME} PRIVATE tovrane_test_main_gui)
  else()
    target_link_libraries(${T_NAME} PRIVATE tovrane_test_main_widgets)
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    TOVRANE_CORPUS_DIR="${TOVRANE_CORPUS_DIR}"
    TOVRANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TOVRANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
