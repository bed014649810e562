# The core's layers. Each folder of src/ is one static library that may use only the layers it
# names, and those must already exist: a layer can name only what was defined before it, so the
# dependency graph cannot hold a cycle. Every build also scans the layer's sources and fails on
# an include from a layer it does not use (or of Qt outside the layers that allow it).
#
#   quillo_layer(<name> [QT] [USES <layers...>] SOURCES <files...> [LIBS <targets...>])

function(quillo_layer name)
  cmake_parse_arguments(L "QT" "" "USES;SOURCES;LIBS" ${ARGN})
  set(allowed ${name})
  foreach(dep IN LISTS L_USES)
    if(NOT TARGET quillo_${dep})
      message(FATAL_ERROR "layer ${name} uses ${dep}, which is not a layer below it")
    endif()
    get_target_property(dep_allowed quillo_${dep} QUILLO_LAYER_ALLOWED)
    list(APPEND allowed ${dep_allowed})
  endforeach()
  list(REMOVE_DUPLICATES allowed)

  add_library(quillo_${name} STATIC ${L_SOURCES})
  target_include_directories(quillo_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  list(TRANSFORM L_USES PREPEND quillo_ OUTPUT_VARIABLE dep_targets)
  target_link_libraries(quillo_${name} PUBLIC quillo_options ${dep_targets} ${L_LIBS})
  set_target_properties(quillo_${name} PROPERTIES QUILLO_LAYER_ALLOWED "${allowed}")

  list(TRANSFORM L_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE files)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.layer-checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} "-DLAYER=${name}" "-DALLOWED=${allowed}" "-DQT=${L_QT}"
            "-DFILES=${files}" "-DSTAMP=${stamp}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    COMMENT "Checking the includes of layer ${name}" VERBATIM)
  add_custom_target(quillo_${name}_layer_check DEPENDS ${stamp})
  add_dependencies(quillo_${name} quillo_${name}_layer_check)
endfunction()
