# The Debian packages as a host developer meets them, run by scripts/test after the normal build:
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -P consume.cmake
# Makes the packages of BUILD_DIR with CPack, checks their names and dependencies, unpacks both
# into a scratch root, builds examples/embed against them and runs it headless, then starts the
# packaged indici-demo on a fresh sample database and checks its model with the packaged indici.
# Last, an install into a folder of one's own runs from there without LD_LIBRARY_PATH.
file(REMOVE_RECURSE ${WORK_DIR})
set(root ${WORK_DIR}/root)
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "failed (${status}): ${ARGN}")
    endif()
endfunction()
run(${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}/debs)
file(GLOB debs ${WORK_DIR}/debs/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 2)
    message(FATAL_ERROR "package: two packages expected, made: ${debs}")
endif()
foreach(deb IN LISTS debs)
    execute_process(COMMAND dpkg-deb -f ${deb} Package Version Depends OUTPUT_VARIABLE fields)
    string(REGEX MATCH "Package: ([^\n]+)" _ "${fields}")
    set(name ${CMAKE_MATCH_1})
    string(REGEX MATCH "Version: ([^\n]+)" _ "${fields}")
    set(version ${CMAKE_MATCH_1})
    string(REGEX MATCH "Depends: ([^\n]+)" _ "${fields}")
    set(${name}_depends "${CMAKE_MATCH_1}")
    run(dpkg-deb -x ${deb} ${root})
endforeach()
# The development package needs the run-time package of its own version; the run-time package
# names the libraries its binaries link, as dpkg-shlibdeps found them.
set(needs "ctlindici-dev:ctlindici (= ${version})" ctlindici:libqt6widgets6 ctlindici:libqt6sql6
    ctlindici:libzip4 ctlindici:libpugixml1v5 ctlindici:libpq5)
foreach(need IN LISTS needs)
    string(REPLACE ":" ";" need "${need}")
    list(GET need 0 package)
    list(GET need 1 dependency)
    string(FIND "${${package}_depends}" "${dependency}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "package: ${package} does not depend on ${dependency}: "
                            "${${package}_depends}")
    endif()
endforeach()

file(GLOB_RECURSE library ${root}/usr/lib/libctlIndici.so.*.*)
if(NOT library)
    message(FATAL_ERROR "package: ctlindici holds no libctlIndici.so")
endif()
get_filename_component(libdir ${library} DIRECTORY)
# Under /usr the libraries are where the system looks: the packaged binaries keep no RUNPATH.
foreach(binary IN ITEMS ${root}/usr/bin/indici ${root}/usr/bin/indici-demo ${library})
    execute_process(COMMAND readelf -d ${binary} OUTPUT_VARIABLE dynamic)
    if(dynamic MATCHES "R(UN)?PATH")
        message(FATAL_ERROR "package: ${binary} keeps a RUNPATH")
    endif()
endforeach()
if(NOT EXISTS ${root}/usr/share/man/man1/indici.1)
    message(FATAL_ERROR "package: ctlindici holds no manual page of indici")
endif()
set(home ${WORK_DIR}/home)
file(MAKE_DIRECTORY ${home}/runtime)
file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(env ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH=${libdir} HOME=${home}
    XDG_DATA_HOME=${home}/data XDG_RUNTIME_DIR=${home}/runtime)

# The packaged demo makes its sample database and documents on first start.
run(${env} ${root}/usr/bin/indici-demo --screenshot ${WORK_DIR}/demo.png)
file(GLOB database ${home}/data/*/indici-demo/indici.sqlite)
file(GLOB documents ${home}/data/*/indici-demo/Documenti/*)
list(LENGTH documents count)
if(NOT database OR NOT count EQUAL 3)
    message(FATAL_ERROR "package: indici-demo made no sample: ${database} ${documents}")
endif()

# The smallest host, built against the packages, loads an index of that sample; any warning
# (a failed load among them) ends it.
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/embed -B ${WORK_DIR}/embed -G Ninja
    -DCMAKE_PREFIX_PATH=${root}/usr)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/embed)
run(${env} EMBED_SMOKE=1 QT_FATAL_WARNINGS=1 ${WORK_DIR}/embed/embed-indici ${database} ROE)

# The packaged command line finds the sample model whole, with no display.
set(headless ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=DISPLAY HOME=${home}
    XDG_DATA_HOME=${home}/data)
run(${headless} LD_LIBRARY_PATH=${libdir} ${root}/usr/bin/indici --database ${database} check BILANCIO)

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix --component runtime)
run(${headless} ${WORK_DIR}/prefix/bin/indici --database ${database} models)
run(${env} --unset=LD_LIBRARY_PATH ${WORK_DIR}/prefix/bin/indici-demo --screenshot ${WORK_DIR}/prefix.png)
