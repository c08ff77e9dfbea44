# The Debian packages, made by `cpack -G DEB` in a build folder:
#   ctlindici      the libraries, the Qt Designer plugin, indici-demo and the reference schemas;
#   ctlindici-dev  the public headers, the library links and the CMake package, depending on
#                  ctlindici of the same version and on Qt's development files.
# The run-time dependencies (Qt, libzip, pugixml, libpq) are read from the binaries, which keep no
# RUNPATH.
set(CPACK_PACKAGE_NAME ctlindici)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "ctlIndici developers <ctlindici@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The staged binaries lose their RUNPATH before they are packed.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageRunpath.cmake)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ctlindici)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "The component's libraries, its Qt Designer plugin, the \
demo host indici-demo with its sample model and documents, and the database schemas.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ctlindici-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev (>= 6.4)")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Development files: the public headers, the library \
links and the CMake package CtlIndici.")
include(CPack)
