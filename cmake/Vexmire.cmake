# vexmire_add_resources(TARGET DEFINITION file [DEPENDS files...])
#
# Compiles the resource definition with vexmire-rc at build time and places
# the image in the target's library file as the non-loaded ELF section
# ".vexmire", where the Vexmire library reads it at run time. The section is
# added after each link; the library is relinked whenever the image changes,
# so the file on disk always carries the current resources. Files that the
# definition names are found beside it, then in the calling source folder;
# vexmire-rc reports them in a depfile, so DEPENDS is needed only for files
# that do not exist yet at the first build.
include_guard(GLOBAL)

if(NOT CMAKE_OBJCOPY)
  find_program(CMAKE_OBJCOPY objcopy REQUIRED)
endif()

function(vexmire_add_resources target)
  cmake_parse_arguments(VR "" "DEFINITION" "DEPENDS" ${ARGN})
  if(NOT VR_DEFINITION)
    message(FATAL_ERROR "vexmire_add_resources(${target}): DEFINITION is required")
  endif()
  get_filename_component(definition ${VR_DEFINITION} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(image ${CMAKE_CURRENT_BINARY_DIR}/${target}.vximage)
  set(depfile ${CMAKE_CURRENT_BINARY_DIR}/${target}.vximage.d)

  add_custom_command(
    OUTPUT ${image}
    COMMAND vexmire-rc ${definition} -o ${image} -d ${depfile} -I ${CMAKE_CURRENT_SOURCE_DIR}
    DEPENDS vexmire-rc ${definition} ${VR_DEPENDS}
    DEPFILE ${depfile}
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  add_custom_target(${target}_resources DEPENDS ${image})
  add_dependencies(${target} ${target}_resources)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${image})

  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --add-section .vexmire=${image} --set-section-flags .vexmire=noload,readonly
            $<TARGET_FILE:${target}>
    COMMENT "Placing the resources in ${target}"
    VERBATIM)
endfunction()
