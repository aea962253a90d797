# The folders' layers: each folder's sources may include headers of the
# folders below it only. Checked when the build is configured, so that a
# header of a folder above (the engine reaching for the job, say) fails the
# build at once instead of linking by luck.
#   trelvio_layer(FOLDER [BELOW...])
function(trelvio_layer folder)
  set(allowed ${folder} ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${folder}/*.h ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" included "${line}")
      if(NOT included IN_LIST allowed)
        file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
        message(FATAL_ERROR "${name} includes a header of ${included}/, above ${folder}/ "
                            "(it may include ${allowed})")
      endif()
    endforeach()
  endforeach()
endfunction()
