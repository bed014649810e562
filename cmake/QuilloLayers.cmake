# The core's layers. Each folder of src/ is one static library that may use only the layers it
# names, and those must already exist: a layer can name only what was defined before it, so the
# dependency graph cannot hold a cycle. Every build also scans the layer's sources and fails on
# an include from a layer it does not use (or of Qt outside the layers that allow it). Programs
# outside src/ that build on the core (the lab) name their layers the same way and are checked
# by the same scan.
#
#   quillo_layer(<name> [QT] [USES <layers...>] SOURCES <files...> [LIBS <targets...>])
#   quillo_use_layers(<target> USES <layers...>)

# Links `target` to the layers in USES, records what its sources may include and adds the scan
# of its sources to its build.
function(quillo_use_layers target)
  cmake_parse_arguments(L "QT" "NAME" "USES" ${ARGN})
  if(NOT L_NAME)
    set(L_NAME ${target})
  endif()
  set(allowed ${L_NAME})
  foreach(dep IN LISTS L_USES)
    if(NOT TARGET quillo_${dep})
      message(FATAL_ERROR "${L_NAME} uses ${dep}, which is not a layer below it")
    endif()
    get_target_property(dep_allowed quillo_${dep} QUILLO_LAYER_ALLOWED)
    list(APPEND allowed ${dep_allowed})
  endforeach()
  list(REMOVE_DUPLICATES allowed)

  list(TRANSFORM L_USES PREPEND quillo_ OUTPUT_VARIABLE dep_targets)
  target_link_libraries(${target} PUBLIC ${dep_targets})
  set_target_properties(${target} PROPERTIES QUILLO_LAYER_ALLOWED "${allowed}")

  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(files "")
  foreach(s IN LISTS sources)
    if(IS_ABSOLUTE "${s}")
      list(APPEND files "${s}")
    else()
      list(APPEND files "${source_dir}/${s}")
    endif()
  endforeach()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.layer-checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} "-DLAYER=${L_NAME}" "-DALLOWED=${allowed}" "-DQT=${L_QT}"
            "-DFILES=${files}" "-DSTAMP=${stamp}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    COMMENT "Checking the includes of ${L_NAME}" VERBATIM)
  add_custom_target(${target}_layer_check DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer_check)
endfunction()

function(quillo_layer name)
  cmake_parse_arguments(L "QT" "" "USES;SOURCES;LIBS" ${ARGN})
  add_library(quillo_${name} STATIC ${L_SOURCES})
  target_include_directories(quillo_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(quillo_${name} PUBLIC quillo_options ${L_LIBS})
  if(L_QT)
    set(qt QT)
  endif()
  quillo_use_layers(quillo_${name} NAME ${name} ${qt} USES ${L_USES})
endfunction()
