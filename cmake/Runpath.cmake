# RUNPATH of the installed binaries. An install into a folder of one's own
# (cmake --install build --prefix DIR) runs from there without LD_LIBRARY_PATH: each binary finds
# the project's libraries relative to itself ($ORIGIN). An install under /usr, as the Debian
# packages make it, keeps none: the libraries are where the system looks for them.

# Gives `target`, installed into `destination` (a folder under the prefix), the RUNPATH that leads
# to the libraries' folder.
function(ctl_install_runpath target destination)
    file(RELATIVE_PATH to_libdir /${destination} /${CMAKE_INSTALL_LIBDIR})
    if(to_libdir)
        set(to_libdir /${to_libdir})
    endif()
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN${to_libdir}")
endfunction()

# Called last: under /usr every binary installed before loses its RUNPATH again. The manifest
# names the files without DESTDIR.
function(ctl_remove_runpath_under_usr)
    install(CODE [[
        if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
            foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
                if(file MATCHES "(/bin/[^/]+|\\.so[.0-9]*)$" AND NOT IS_SYMLINK "$ENV{DESTDIR}${file}")
                    file(RPATH_REMOVE FILE "$ENV{DESTDIR}${file}")
                endif()
            endforeach()
        endif()
    ]] COMPONENT runtime)
endfunction()
