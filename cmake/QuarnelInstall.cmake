# The install: the host's layout, which forvane relies on to find its add-ons.
#
#   bin/forvane, bin/vexmire-rc, bin/vexmire-list
#   lib/libCorbane.so ... lib/libForvaneHost.so      the platform libraries
#   lib/forvane/add-ons/Quarnel.so, Quarnel-27.so    both builds of the plug-in
#   include/                                         the SDK and platform headers, for add-ons
#   share/quarnel/examples/                          the example project and configuration
#
# forvane looks for add-ons in <folder of the executable>/../lib/forvane/add-ons,
# and everything finds the libraries through its run path, so the tree works
# wherever it is unpacked. Targets that another folder already installs
# (Nostrel, Pellarin, Vexmire with its tools, forvane) are not named again.

set(QUARNEL_INSTALL_ADDON_DIR lib/forvane/add-ons)

install(TARGETS Corbane ForvaneHost LIBRARY DESTINATION lib)

install(TARGETS Quarnel Quarnel-27 LIBRARY DESTINATION ${QUARNEL_INSTALL_ADDON_DIR})
# Two folders down from the add-ons folder to lib/. The libraries are loaded by
# forvane before any add-on, but a plug-in must not depend on that.
set_target_properties(Quarnel Quarnel-27 PROPERTIES INSTALL_RPATH "$ORIGIN/../..")

foreach(headers corbane nostrel pellarin vexmire)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/${headers}/include/ DESTINATION include)
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/forvane/sdk/include/ DESTINATION include)

install(FILES
  ${PROJECT_SOURCE_DIR}/examples/README.md
  ${PROJECT_SOURCE_DIR}/examples/project.json
  ${PROJECT_SOURCE_DIR}/examples/ifc-sg-config.xml
  DESTINATION share/quarnel/examples)

# cpack (or `cmake --build BUILD --target package`) makes Quarnel-VERSION-Linux.tar.gz
# with the same layout under one top folder.
# Installing (and packing) takes what the build made and builds nothing itself,
# so that the install test can pack from inside a test run.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Quarnel)
set(CPACK_PACKAGE_VENDOR "Quarnel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "The Forvane host with the Quarnel IFC+SG import plug-in")
set(CPACK_PACKAGE_FILE_NAME "Quarnel-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")
set(CPACK_STRIP_FILES OFF)
include(CPack)
