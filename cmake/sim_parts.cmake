# The simulated desktop's parts (sim/README.md): each folder of sim/ is a
# library that names the parts it may use. Before a part compiles, its files'
# `#include "sim/PART/…"` lines are checked against that list, so an include
# that runs the wrong way fails the build.
set(VISTREL_SIM_PART_CHECK ${CMAKE_CURRENT_LIST_DIR}/check_sim_includes.cmake)

# vistrel_sim_part(PART [USES part…] [LINKS library…] [EXCLUDE file…])
function(vistrel_sim_part part)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;LINKS;EXCLUDE")
  set(folder ${PROJECT_SOURCE_DIR}/sim/${part})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
  foreach(excluded IN LISTS arg_EXCLUDE)
    list(REMOVE_ITEM sources ${folder}/${excluded})
  endforeach()
  set(target vistrel_sim_${part})
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_link_libraries(${target} ${scope} vistrel_platform vistrel_backend ${arg_LINKS})
  foreach(used IN LISTS arg_USES)
    target_link_libraries(${target} ${scope} vistrel_sim_${used})
  endforeach()

  # All of the part's files, those left to the program included.
  file(GLOB checked CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/sim_includes/${part}.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DPART=${part} "-DUSES=${arg_USES}" "-DFILES=${checked}"
            -DSTAMP=${stamp} -P ${VISTREL_SIM_PART_CHECK}
    DEPENDS ${checked} ${VISTREL_SIM_PART_CHECK}
    COMMENT "Checking the includes of sim/${part}"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()
