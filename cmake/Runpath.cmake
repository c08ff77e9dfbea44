# RUNPATH of the installed binaries. An install into a folder of one's own
# (cmake --install build --prefix DIR) runs from there without LD_LIBRARY_PATH: each binary finds
# the project's libraries relative to itself ($ORIGIN). The Debian packages keep none
# (cmake/PackageRunpath.cmake).

# Gives `target`, installed into `destination` (a folder under the prefix), the RUNPATH that leads
# to the libraries' folder.
function(ctl_install_runpath target destination)
    file(RELATIVE_PATH to_libdir /${destination} /${CMAKE_INSTALL_LIBDIR})
    if(to_libdir)
        set(to_libdir /${to_libdir})
    endif()
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN${to_libdir}")
endfunction()

