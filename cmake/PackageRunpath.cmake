# Run by CPack once the packages' files are staged (CPACK_PRE_BUILD_SCRIPTS): under /usr the
# libraries are where the system looks for them, so no packaged binary keeps a RUNPATH.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS staged)
    if(file MATCHES "(/bin/[^/]+|\\.so[.0-9]*)$" AND NOT IS_SYMLINK "${file}")
        file(RPATH_REMOVE FILE "${file}")
    endif()
endforeach()
