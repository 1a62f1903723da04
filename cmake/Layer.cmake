# qb_layer(NAME [DEPENDENCIES...]): one static library per folder of src/, made from every
# source file in it. A folder that holds no source yet gives an empty interface library, so
# the layers above it still configure.
function(qb_layer name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp ${PROJECT_SOURCE_DIR}/src/${name}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")  # the program's entry point is not a library
  set(deps)
  foreach(dep IN LISTS ARGN)
    list(APPEND deps qb_${dep})
  endforeach()
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(qb_${name} STATIC ${sources})
    target_include_directories(qb_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(qb_${name} PUBLIC ${deps} Qt6::Widgets Qt6::PrintSupport
                          QCustomPlotQt6::QCustomPlotQt6)
  else()
    add_library(qb_${name} INTERFACE)
    target_include_directories(qb_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(qb_${name} INTERFACE ${deps} Qt6::Widgets Qt6::PrintSupport
                          QCustomPlotQt6::QCustomPlotQt6)
  endif()
endfunction()
