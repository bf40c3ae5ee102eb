# A pull that adds a Q_OBJECT class to a layer builds and links in an
# existing build folder: a scratch project made of one layer (vs_layer from
# cmake/VorbelSteps.cmake) is built, gets a new .h/.cpp pair and a header
# whose class another .cpp implements, and is built again.
#   cmake -DVS_ROOT=<repository> -DWORK=<scratch folder> -P NewQObjectFiles.cmake

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${what} failed:\n${_out}")
  endif()
endfunction()

# layer/<name>.h: a class T<name> with Q_OBJECT and a constructor.
function(qobject name)
  file(WRITE ${WORK}/layer/${name}.h
    "#pragma once\n#include <QObject>\nclass T${name} : public QObject {\n  Q_OBJECT\n\npublic:\n  T${name}();\n};\n")
endfunction()

file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(scratch LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Qt6 REQUIRED COMPONENTS Core)
include(${VS_ROOT}/cmake/VorbelSteps.cmake)
add_subdirectory(layer)
add_executable(app main.cpp)
target_link_libraries(app layer)
")
file(WRITE ${WORK}/layer/CMakeLists.txt "set(CMAKE_AUTOMOC ON)\nvs_layer(layer Qt6::Core)\n")
qobject(First)
file(WRITE ${WORK}/layer/First.cpp "#include \"layer/First.h\"\nTFirst::TFirst() {}\n")
file(WRITE ${WORK}/main.cpp "#include \"layer/First.h\"\nint main() { TFirst a; }\n")
run("The first configure" ${CMAKE_COMMAND} -S ${WORK} -B ${WORK}/build -G Ninja)
run("The first build" ${CMAKE_COMMAND} --build ${WORK}/build)

# The pull: new files only, no list file changed; a second later, so that
# their times differ from the first build's even on coarse clocks.
execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
qobject(Second)
file(WRITE ${WORK}/layer/Second.cpp "#include \"layer/Second.h\"\nTSecond::TSecond() {}\n")
qobject(Third)
file(WRITE ${WORK}/layer/First.cpp
  "#include \"layer/First.h\"\n#include \"layer/Third.h\"\nTFirst::TFirst() {}\nTThird::TThird() {}\n")
file(WRITE ${WORK}/main.cpp "#include \"layer/First.h\"\n#include \"layer/Second.h\"\n#include \"layer/Third.h\"
int main() { TFirst a; TSecond b; TThird c; }\n")
run("The build after new Q_OBJECT files" ${CMAKE_COMMAND} --build ${WORK}/build)
