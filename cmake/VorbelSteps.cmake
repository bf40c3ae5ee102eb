# vs_source_list(<name> <files...>): keeps the list of a globbed target's
# files in the calling folder's own list files. Qt's moc step for a target
# (AUTOMOC, with Ninja) reruns only when a file it read last time changed,
# or the folder's list files did; a file that a pull adds to the glob would
# otherwise not be scanned, and a new Q_OBJECT class would fail to link
# ("undefined reference to vtable") until the build folder was wiped. The
# list is rewritten only when it changes, so that an unchanged folder costs
# no moc run.
function(vs_source_list name)
  set(_list ${CMAKE_CURRENT_BINARY_DIR}/${name}.sources.cmake)
  list(JOIN ARGN "\n#   " _lines)
  file(CONFIGURE OUTPUT ${_list} CONTENT "# Files of ${name} at the last configure:\n#   ${_lines}\n")
  include(${_list})
endfunction()

# vs_layer(<target> <public deps...>): a static library made of every .cpp
# and .h in the calling folder (not its sub-folders), with the repository
# root on the include path so that headers are included as "layer/Unit.h".
# The headers are part of the target so that moc scans each of them, whether
# or not a .cpp of the same name includes it.
function(vs_layer target)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(_src)
    add_library(${target} STATIC ${_src} ${_headers})
    vs_source_list(${target} ${_src} ${_headers})
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
  vs_source_list(test_${name} ${_src})
  target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_${name} PRIVATE vs_testsupport ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  if(VS_SANITIZE)
    target_sources(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/support/LeakSuppressions.cpp)
  endif()
  # One variable only: gtest_discover_tests splits a list of them into
  # separate properties, and every one after the first would be lost.
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  # The whole suite in one process, twice, in shuffled orders (gtest prints
  # the seed): a test that leans on what another left behind fails here.
  add_test(NAME ${name}.shuffled COMMAND test_${name} --gtest_shuffle --gtest_repeat=2 --gtest_brief=1)
  # Twice through a whole suite on a machine that other work keeps busy.
  set_tests_properties(${name}.shuffled PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 1800)
endfunction()

# vs_library_soname(<var> <name> <link libraries>): the name the system
# loads lib<name> by at run time (its SONAME, "libzip.so.4"), read from the
# library that pkg-config gave; lib<name>.so when it can't be read.
function(vs_library_soname var name libraries)
  set(_soname lib${name}.so)
  foreach(_lib ${libraries})
    get_filename_component(_file ${_lib} NAME)
    if(NOT _file MATCHES "^lib${name}\\.so" OR NOT CMAKE_OBJDUMP)
      continue()
    endif()
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${_lib} OUTPUT_VARIABLE _dump ERROR_QUIET)
    if(_dump MATCHES "SONAME +([^ \n]+)")
      set(_soname ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${var} ${_soname} PARENT_SCOPE)
endfunction()
