# vs_layer(<target> <public deps...>): a static library made of every .cpp in
# the calling folder (not its sub-folders), with the repository root on the
# include path so that headers are included as "layer/Unit.h".
function(vs_layer target)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_src)
    add_library(${target} STATIC ${_src})
  else()
    add_library(${target} INTERFACE)
  endif()
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARGN})
  else()
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARGN})
  endif()
endfunction()

# vs_test(<name> <libs...>): one GoogleTest executable from every .cpp in
# tests/<name>/, registered with CTest.
function(vs_test name)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(test_${name} ${_src})
  target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_${name} PRIVATE vs_testsupport ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  if(VS_SANITIZE)
    target_sources(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/support/LeakSuppressions.cpp)
  endif()
  # One variable only: gtest_discover_tests splits a list of them into
  # separate properties, and every one after the first would be lost.
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
