# Layers the build enforces. A library's include folder is staged in the build tree and holds one
# link named like its source folder, so "grid/db_grid.h" reads as before, yet a library sees only
# its own folder and those of the libraries it links: an include upward does not compile.

function(qm_stage_link stage path)
  get_filename_component(parent ${stage}/${path} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${stage}/${path} SYMBOLIC)
endfunction()

function(qm_stage_use target stage)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${stage})
  else()
    target_include_directories(${target} PUBLIC ${stage})
  endif()
endfunction()

# qm_layer_folder(target folder): the target's sources and its users see the folder (e.g. host/store).
function(qm_layer_folder target folder)
  set(stage ${PROJECT_BINARY_DIR}/include/${target})
  qm_stage_link(${stage} ${folder})
  qm_stage_use(${target} ${stage})
endfunction()

# qm_layer_headers(target folder header...): a contract between the two sides of a dlopen; users
# see only the named headers of the folder.
function(qm_layer_headers target folder)
  set(stage ${PROJECT_BINARY_DIR}/include/${target})
  foreach(header IN LISTS ARGN)
    qm_stage_link(${stage} ${folder}/${header})
  endforeach()
  qm_stage_use(${target} ${stage})
endfunction()
