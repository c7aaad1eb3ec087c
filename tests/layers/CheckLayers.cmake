# Checks every #include of the add-in side against the table of its layers
# (AddinLayers.cmake at the top of the source tree). Run by CTest as
#   cmake -DORVANE_SOURCE_DIR=<top> -P CheckLayers.cmake
# A file may include its own library's files, those of the libraries it
# builds on and theirs, and platform/, office/ and resources/. Fails, naming
# each offending line, on an include that climbs or crosses to a sibling, on
# a file of these folders that is not in the table, and on a table whose
# library builds on one that is not below it.

cmake_minimum_required(VERSION 3.20)
if(NOT ORVANE_SOURCE_DIR)
  message(FATAL_ERROR "ORVANE_SOURCE_DIR is not set")
endif()

set(ORVANE_LIBRARIES "")
function(orvane_addin_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "ONCE" "LAYER" "USES;FILES;ENTRY")
  set(ORVANE_LIBRARIES ${ORVANE_LIBRARIES} ${name} PARENT_SCOPE)
  set(LAYER_${name} ${arg_LAYER} PARENT_SCOPE)
  set(USES_${name} ${arg_USES} PARENT_SCOPE)
  set(ONCE_${name} ${arg_ONCE} PARENT_SCOPE)
  set(FILES_${name} ${arg_FILES} ${arg_ENTRY} PARENT_SCOPE)
endfunction()
include(${ORVANE_SOURCE_DIR}/AddinLayers.cmake)

set(problems "")
macro(problem text)
  string(APPEND problems "  ${text}\n")
endmacro()

# Which library each file is in.
foreach(library IN LISTS ORVANE_LIBRARIES)
  foreach(file IN LISTS FILES_${library})
    string(MAKE_C_IDENTIFIER "${file}" key)
    if(DEFINED OWNER_${key})
      problem("${file} is in two libraries: ${OWNER_${key}} and ${library}")
    endif()
    set(OWNER_${key} ${library})
    if(NOT EXISTS ${ORVANE_SOURCE_DIR}/${file})
      problem("${file} is in the table (${library}) but not in the source tree")
    endif()
  endforeach()
endforeach()

# What each library may include: itself and everything it builds on, down
# the table. A library builds only on libraries of lower layers, and one
# built once only on libraries built once.
foreach(library IN LISTS ORVANE_LIBRARIES)
  foreach(used IN LISTS USES_${library})
    if(NOT DEFINED LAYER_${used})
      problem("${library} builds on ${used}, which is not in the table (or comes later in it)")
    elseif(NOT LAYER_${used} LESS LAYER_${library})
      problem("${library} (layer ${LAYER_${library}}) builds on ${used} (layer ${LAYER_${used}}), which is not below it")
    elseif(ONCE_${library} AND NOT ONCE_${used})
      problem("${library} is built once but builds on ${used}, which is built per flavour")
    endif()
  endforeach()
  set(reach ${library})
  set(pending ${USES_${library}})
  while(pending)
    list(POP_FRONT pending next)
    if(NOT next IN_LIST reach)
      list(APPEND reach ${next})
      list(APPEND pending ${USES_${next}})
    endif()
  endwhile()
  set(REACH_${library} ${reach})
endforeach()

# Every source file of the add-in side's folders is in the table.
set(folders addin calc calendar locations options services settings timetable)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE found RELATIVE ${ORVANE_SOURCE_DIR} ${ORVANE_SOURCE_DIR}/${folder}/*.h
       ${ORVANE_SOURCE_DIR}/${folder}/*.cpp)
  foreach(file IN LISTS found)
    string(MAKE_C_IDENTIFIER "${file}" key)
    if(NOT DEFINED OWNER_${key})
      problem("${file} is in none of the libraries of AddinLayers.cmake")
    endif()
  endforeach()
endforeach()

# Every include of every file in the table.
set(checked 0)
foreach(library IN LISTS ORVANE_LIBRARIES)
  foreach(file IN LISTS FILES_${library})
    if(NOT EXISTS ${ORVANE_SOURCE_DIR}/${file})
      continue()
    endif()
    file(STRINGS ${ORVANE_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
      math(EXPR checked "${checked} + 1")
      if(included MATCHES "^(platform|office|resources)/" OR included STREQUAL "resources/RegistryScripts.h")
        continue()
      endif()
      if(included MATCHES "^host/")
        problem("${file} (${library}) includes ${included}: the add-in never includes the host")
        continue()
      endif()
      string(MAKE_C_IDENTIFIER "${included}" key)
      if(NOT DEFINED OWNER_${key})
        problem("${file} (${library}) includes ${included}, which is in no library of the table")
        continue()
      endif()
      set(owner ${OWNER_${key}})
      if(NOT owner IN_LIST REACH_${library})
        problem("${file} (${library}, layer ${LAYER_${library}}) includes ${included} of ${owner} (layer ${LAYER_${owner}}), which it does not build on")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "The add-in's layers are broken:\n${problems}")
endif()
message(STATUS "${checked} includes of the add-in side keep to their layers")
