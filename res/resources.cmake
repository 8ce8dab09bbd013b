# Files the resource script pulls in. windres writes no dependency file, so without this list a
# changed per-language script, header or PNG would not rebuild the resource object.
file(GLOB ROVA_RESOURCE_DEPENDS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/res/*.manifest
  ${CMAKE_SOURCE_DIR}/res/art/*.ico ${CMAKE_SOURCE_DIR}/res/art/enu/*.png ${CMAKE_SOURCE_DIR}/res/art/chs/*.png)
list(APPEND ROVA_RESOURCE_DEPENDS ${ROVA_VERSION_HEADER})

# Marks the resource script as depending on those files for targets created in the given folders
# (source file properties are per folder) and in the calling folder.
function(rova_resource_script_depends)
  set_property(SOURCE ${ROVA_RESOURCE_SCRIPT} DIRECTORY ${ARGN} ${CMAKE_CURRENT_SOURCE_DIR}
               APPEND PROPERTY OBJECT_DEPENDS ${ROVA_RESOURCE_DEPENDS})
endfunction()
