# Conventions that keep the layers apart:
# - a subsystem folder holds plain C++ logic (no Qt) and, in files whose names end in
#   _window, _dialog, _model, _view or _qt, those Qt windows of that subsystem that need nothing
#   above it (the windows that drive the main window are in mainwindow/; scripts/check-layers.sh
#   holds the order of the folders);
# - the plain files form one static library per subsystem that links no Qt, so a Qt include there
#   does not compile; the Qt files all go into the windows library.
set(KESTRUNE_QT_FILE_REGEX "_(window|dialog|model|view|qt)(_test)?\\.cpp$")

# kestrune_plain_library(<name> <folder> [DEPS <targets>...])
function(kestrune_plain_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "${KESTRUNE_QT_FILE_REGEX}")
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
  if(ARG_DEPS)
    target_link_libraries(${name} ${scope} ${ARG_DEPS})
  endif()
endfunction()

# Qt files of a folder, for the windows library.
function(kestrune_qt_sources out folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  list(FILTER sources INCLUDE REGEX "${KESTRUNE_QT_FILE_REGEX}")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# kestrune_test_suite(<name> <folder> [QT] [DEPS <targets>...])
# Plain suites take the folder's *_test.cpp files that are not Qt tests; QT suites take the Qt ones
# and run offscreen.
function(kestrune_test_suite name folder)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp)
  if(ARG_QT)
    list(FILTER sources INCLUDE REGEX "${KESTRUNE_QT_FILE_REGEX}")
  else()
    list(FILTER sources EXCLUDE REGEX "${KESTRUNE_QT_FILE_REGEX}")
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} kestrune_test_support GTest::gtest GTest::gmock)
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE kestrune_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(env "KESTRUNE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  if(ARG_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${env}")
endfunction()
