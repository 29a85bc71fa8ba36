# Builds the host tools (cmake/host-tools) at configure time, for the
# machine that builds: on a Mac that is the Mac itself, elsewhere the
# system the cross build runs on. Sets VISTREL_HOST_TOOLS to their folder.
set(VISTREL_HOST_TOOLS ${CMAKE_BINARY_DIR}/host-tools)
set(source ${PROJECT_SOURCE_DIR}/cmake/host-tools)
# A fresh environment of compilers: the target's flags must not leak in.
# The same generator and make program as ours; the tools land in the
# folder itself whatever the generator's configurations.
set(make_program)
if(CMAKE_MAKE_PROGRAM)
  set(make_program -DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=CXXFLAGS --unset=LDFLAGS --unset=SDKROOT
          ${CMAKE_COMMAND} -S ${source} -B ${VISTREL_HOST_TOOLS} -G ${CMAKE_GENERATOR}
          -DCMAKE_BUILD_TYPE=Release ${make_program}
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE failed)
if(NOT failed)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${VISTREL_HOST_TOOLS} --config Release
    OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE failed)
endif()
if(failed)
  message(FATAL_ERROR "The host tools (cmake/host-tools) could not be built:\n${log}")
endif()
# A change to a tool's sources rebuilds it at the next configure.
include(${source}/units.cmake)
set(tool_sources ${source}/CMakeLists.txt ${source}/units.cmake)
foreach(unit IN LISTS VISTREL_HOST_PROGRAM_UNITS VISTREL_HOST_BACKEND_UNITS)
  list(APPEND tool_sources ${PROJECT_SOURCE_DIR}/${unit}.cpp)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${unit}.h)
    list(APPEND tool_sources ${PROJECT_SOURCE_DIR}/${unit}.h)
  endif()
endforeach()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tool_sources})
