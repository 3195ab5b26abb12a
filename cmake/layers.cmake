# The core's layers as libraries.
#
# coursesmith_layer(NAME FOLDERS folder... [BELOW library] SOURCES source...)
#
# Makes the static library NAME of the sources, linked to the layer BELOW it. Its headers
# are found through a folder of its own in the build tree that holds links to its FOLDERS
# and to those of the layers below, and to nothing else: an include of a layer above fails
# to build instead of quietly working.
function(coursesmith_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "BELOW" "FOLDERS;SOURCES")
  add_library(${name} STATIC ${LAYER_SOURCES})
  set(folders ${LAYER_FOLDERS})
  if(LAYER_BELOW)
    get_target_property(below_folders ${LAYER_BELOW} COURSESMITH_LAYER_FOLDERS)
    list(APPEND folders ${below_folders})
    target_link_libraries(${name} PUBLIC ${LAYER_BELOW})
  endif()
  set(root ${PROJECT_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS folders)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  set_target_properties(${name} PROPERTIES COURSESMITH_LAYER_FOLDERS "${folders}")
  target_include_directories(${name} PUBLIC ${root})
endfunction()
