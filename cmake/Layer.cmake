# The layers of src/, one folder each, declared lowest first in the top CMakeLists.txt:
#
#   qb_layer(NAME [USES LAYER...] [QT TARGET...] [LIBS TARGET...])
#
# NAME is the layer's folder below src/, which may lie in a group folder ("platform/port"); its
# libraries are named with '_' for '/' (qb_platform_port).
#
# USES: the layers whose headers NAME includes; each must be declared before it. QT: the Qt
# (or Qt-based) libraries NAME's own files use; none means the layer builds without Qt. LIBS:
# other libraries its Qt-free files use.
#
# A layer is two static libraries. qb_NAME_logic holds the files that need no Qt: they build
# without Qt's headers and link no Qt library, only the logic libraries of the layers they use.
# qb_NAME holds the rest (the windows) and links qb_NAME_logic, the layers it uses and its Qt
# libraries. A file needs Qt when it includes a Qt header, or a project header that needs Qt, at
# any depth (cmake/Includes.cmake). A folder with no source yet gives empty interface libraries.
#
# The test layers.includes (tests/CMakeLists.txt) checks every include in src/ against this
# table: no layer includes a layer above it or one it does not name after USES, and a layer
# without QT includes no Qt header.
include(${CMAKE_CURRENT_LIST_DIR}/Includes.cmake)
qb_scan_sources(${PROJECT_SOURCE_DIR}/src)

function(qb_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;QT;LIBS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "qb_layer(${name}): unexpected ${arg_UNPARSED_ARGUMENTS}; name layers after USES")
  endif()
  get_property(declared GLOBAL PROPERTY QB_LAYERS)
  foreach(dep IN LISTS arg_USES)
    if(NOT dep IN_LIST declared)
      message(FATAL_ERROR "layer ${name} uses ${dep}, which is not declared before it")
    endif()
  endforeach()
  string(REPLACE "/" "_" target ${name})
  set_property(GLOBAL APPEND PROPERTY QB_LAYERS ${name})
  set_property(GLOBAL PROPERTY QB_USES_${target} ${arg_USES})
  set_property(GLOBAL PROPERTY QB_QT_${target} ${arg_QT})

  file(GLOB_RECURSE sources RELATIVE ${PROJECT_SOURCE_DIR}/src CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp ${PROJECT_SOURCE_DIR}/src/${name}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")  # the program's entry point is not a library
  set(logic)
  set(windows)
  foreach(f IN LISTS sources)
    if(f IN_LIST QB_QT_FILES)
      list(APPEND windows ${PROJECT_SOURCE_DIR}/src/${f})
    else()
      list(APPEND logic ${PROJECT_SOURCE_DIR}/src/${f})
      set_property(GLOBAL APPEND PROPERTY QB_LOGIC_FILES ${f})
    endif()
  endforeach()
  if(windows AND NOT arg_QT)
    message(FATAL_ERROR "layer ${name} declares no Qt, but these files need it: ${windows}")
  endif()

  set(logic_deps ${arg_LIBS})
  set(deps)
  foreach(dep IN LISTS arg_USES)
    string(REPLACE "/" "_" dep ${dep})
    list(APPEND logic_deps qb_${dep}_logic)
    list(APPEND deps qb_${dep})
  endforeach()

  qb_layer_library(qb_${target}_logic "${logic}" ${logic_deps})
  set_target_properties(qb_${target}_logic PROPERTIES AUTOMOC OFF)
  qb_layer_library(qb_${target} "${windows}" qb_${target}_logic ${deps} ${arg_QT})
endfunction()

# A static library of `files` linking ARGN, or an interface library when `files` holds no .cpp.
function(qb_layer_library target files)
  set(cpp ${files})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${target} STATIC ${files})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()

# Writes the layer table for the check: the layers in order, each one's USES and QT, and the
# files built without Qt.
function(qb_write_layer_table path)
  get_property(layers GLOBAL PROPERTY QB_LAYERS)
  get_property(logic GLOBAL PROPERTY QB_LOGIC_FILES)
  set(text "# Written by cmake/Layer.cmake from the qb_layer() calls of CMakeLists.txt.\n")
  string(APPEND text "set(QB_LAYERS \"${layers}\")\nset(QB_LOGIC_FILES \"${logic}\")\n")
  foreach(layer IN LISTS layers)
    string(REPLACE "/" "_" key ${layer})
    get_property(uses GLOBAL PROPERTY QB_USES_${key})
    get_property(qt GLOBAL PROPERTY QB_QT_${key})
    string(APPEND text "set(QB_USES_${key} \"${uses}\")\nset(QB_QT_${key} \"${qt}\")\n")
  endforeach()
  file(WRITE ${path} "${text}")
endfunction()
