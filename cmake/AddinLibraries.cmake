# Builds the libraries of the add-in side from the table in AddinLayers.cmake
# and the two add-in modules on top of them.
#
# A library built ONCE is orvane_<name>; any other is built once per module
# flavour as orvane_<name>_xp and orvane_<name>_2003, with the flavour's
# compile definition, linking the same flavour of what it builds on.

set(ORVANE_FLAVOURS xp 2003)
set(ORVANE_FLAVOUR_DEFINITION_xp ORVANE_FLAVOUR_XP)
set(ORVANE_FLAVOUR_DEFINITION_2003 ORVANE_FLAVOUR_2003)

function(orvane_addin_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "ONCE" "LAYER" "USES;FILES;ENTRY")
  list(TRANSFORM arg_FILES PREPEND "${CMAKE_SOURCE_DIR}/" OUTPUT_VARIABLE files)
  list(TRANSFORM arg_ENTRY PREPEND "${CMAKE_SOURCE_DIR}/" OUTPUT_VARIABLE entry)
  set_property(GLOBAL PROPERTY ORVANE_ONCE_${name} ${arg_ONCE})
  set_property(GLOBAL PROPERTY ORVANE_ENTRY_${name} ${entry})
  if(arg_ONCE)
    set(variants ONCE)
  else()
    set(variants ${ORVANE_FLAVOURS})
  endif()
  foreach(flavour IN LISTS variants)
    if(flavour STREQUAL "ONCE")
      set(target orvane_${name})
    else()
      set(target orvane_${name}_${flavour})
    endif()
    add_library(${target} STATIC ${files})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC orvane_platform orvane_resources orvane_module)
    if(NOT flavour STREQUAL "ONCE")
      target_compile_definitions(${target} PUBLIC ${ORVANE_FLAVOUR_DEFINITION_${flavour}})
    endif()
    foreach(used IN LISTS arg_USES)
      get_property(used_once GLOBAL PROPERTY ORVANE_ONCE_${used})
      if(used_once OR flavour STREQUAL "ONCE")
        target_link_libraries(${target} PUBLIC orvane_${used})
      else()
        target_link_libraries(${target} PUBLIC orvane_${used}_${flavour})
      endif()
    endforeach()
  endforeach()
endfunction()

include(${CMAKE_SOURCE_DIR}/AddinLayers.cmake)

# The add-in modules: the top of the table with its ENTRY files (the
# module's exports), each flavour into its own add-in folder.
function(orvane_addin_module target output_name flavour folder install_folder)
  get_property(entry GLOBAL PROPERTY ORVANE_ENTRY_addin_core)
  add_library(${target} SHARED ${entry})
  target_link_libraries(${target} PRIVATE orvane_addin_core_${flavour})
  target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${output_name}
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${folder}
    INSTALL_RPATH "$ORIGIN/../..")
  add_dependencies(${target} orvane_resource_libraries orvane_addin_data)
  install(TARGETS ${target} LIBRARY DESTINATION lib/orvane/${install_folder})
endfunction()

orvane_addin_module(orvane_addin_xp OrvaneXP xp addin-xp xp)
orvane_addin_module(orvane_addin_2003 Orvane2003 2003 addin-2003 2003)
