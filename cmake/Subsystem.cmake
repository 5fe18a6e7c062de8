# Helpers shared by every subsystem folder.
#
# add_subsystem(NAME name [LIBS ...]) builds a static library from the *.cpp files of the
# current folder and of its sub-folders (the rooms of the subsystem), leaving out main.cpp and
# every tests/ folder; an interface library while there are none. Test executables come from
# the tests/ folder of the subsystem and of each room:
#   */tests/*_e2e_test.cpp -> NAME_e2e_tests, label e2e
#   */tests/*_gui_test.cpp -> NAME_gui_tests, label gui
#   every other tests/*.cpp -> NAME_tests, label unit
# The subsystem's tests/support/*.cpp are linked into each of them, and its tests/ folder is
# on their include path. A tests/main.cpp, when present, is the main of every test executable
# of the subsystem; otherwise GTest's own main is used. Tests run with QT_QPA_PLATFORM=offscreen.

function(_subsystem_test_exe target label main_src support)
  set(sources ${ARGN})
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources} ${support} ${main_src})
  target_link_libraries(${target} PRIVATE ${_SUBSYSTEM_NAME} GTest::gtest GTest::gmock Qt6::Test)
  if(NOT main_src)
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # The environment is set by `cmake -E env` in front of the test executable, for the test
  # listing too: gtest_discover_tests splits a multi-variable ENVIRONMENT property, so only
  # its first variable would reach the tests.
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-E;env;QT_QPA_PLATFORM=offscreen;QUENLARK_BIN=${CMAKE_BINARY_DIR}/bin/quenlark;VORNIX_BIN=${CMAKE_BINARY_DIR}/bin/vornix;TEST_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/tests")
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${label} TIMEOUT 300)
endfunction()

function(add_subsystem)
  cmake_parse_arguments(ARG "" "NAME" "LIBS" ${ARGN})
  # Globbed relative to the folder, so that the filters never see the checkout's own path.
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} *.cpp *.h)
  list(FILTER sources EXCLUDE REGEX "(^|/)tests/")
  list(FILTER sources EXCLUDE REGEX "^main\\.cpp$")
  list(TRANSFORM sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  set(headers ${sources})
  list(FILTER headers INCLUDE REGEX "\\.h$")
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  if(sources)
    add_library(${ARG_NAME} STATIC ${sources} ${headers})
    target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_LIBS})
  else()
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_LIBS})
  endif()

  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests)
    return()
  endif()
  set(_SUBSYSTEM_NAME ${ARG_NAME})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/*/tests/*.cpp)
  set(main_src "")
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/main.cpp)
    set(main_src ${CMAKE_CURRENT_SOURCE_DIR}/tests/main.cpp)
  endif()
  list(FILTER tests EXCLUDE REGEX "/main\\.cpp$")
  set(e2e ${tests})
  list(FILTER e2e INCLUDE REGEX "_e2e_test\\.cpp$")
  set(gui ${tests})
  list(FILTER gui INCLUDE REGEX "_gui_test\\.cpp$")
  set(unit ${tests})
  list(FILTER unit EXCLUDE REGEX "_(e2e|gui)_test\\.cpp$")
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  _subsystem_test_exe(${ARG_NAME}_tests unit "${main_src}" "${support}" ${unit})
  _subsystem_test_exe(${ARG_NAME}_e2e_tests e2e "${main_src}" "${support}" ${e2e})
  if(BUILD_GUI_TESTS)
    _subsystem_test_exe(${ARG_NAME}_gui_tests gui "${main_src}" "${support}" ${gui})
  endif()
endfunction()
