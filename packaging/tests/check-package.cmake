# SPDX-License-Identifier: GPL-3.0-or-later
# Unpacks the Debian package with dpkg-deb and checks it: its control fields, the files
# it installs, and that the unpacked orvinta-decode decodes the sample frame.
#   cmake -DDEB_DIR=... -DVERSION=... -DMAINTAINER=... -DEXPECT_GUI=ON|OFF -DEXPECT_ICON=ON|OFF
#         -DAPPSTREAM_ID=... -DAPPSTREAMCLI=... -P check-package.cmake

cmake_minimum_required(VERSION 3.25)

file(GLOB debs "${DEB_DIR}/orvinta_*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${DEB_DIR}, found: ${debs}")
endif()
set(deb "${debs}")
set(failures "")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${status}):\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

macro(fail what)
    string(APPEND failures "\n  ${what}")
endmacro()

# Control fields.
run(dpkg --print-architecture)
set(arch "${out}")
foreach(field Package Version Architecture Maintainer Depends Installed-Size)
    run(dpkg-deb --field "${deb}" ${field})
    set(field_${field} "${out}")
    message("${field}: ${out}")
endforeach()
if(NOT field_Package STREQUAL "orvinta")
    fail("the package is called '${field_Package}', not orvinta")
endif()
if(NOT field_Version STREQUAL VERSION)
    fail("the package's version is '${field_Version}', not ${VERSION}")
endif()
if(NOT field_Architecture STREQUAL arch)
    fail("the package is for '${field_Architecture}', not ${arch}")
endif()
if(NOT field_Maintainer STREQUAL MAINTAINER)
    fail("the maintainer is '${field_Maintainer}', not '${MAINTAINER}'")
endif()
set(dependencies libc6 libstdc++6 libqt6core6 libsndfile1 libfftw3-single3)
if(EXPECT_GUI)
    # The last two are loaded at run time: dpkg-shlibdeps cannot find them.
    list(APPEND dependencies libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n)
endif()
string(REGEX REPLACE " *\\([^)]*\\)" "" depends "${field_Depends}")
string(REPLACE ", " ";" depends "${depends}")
foreach(dependency IN LISTS dependencies)
    if(NOT dependency IN_LIST depends)
        fail("the package does not depend on ${dependency}")
    endif()
endforeach()

# Files: everything below /usr, the programs and what belongs to them.
set(root "${DEB_DIR}/unpacked")
file(REMOVE_RECURSE "${root}")
run(dpkg-deb -x "${deb}" "${root}")
run(dpkg-deb --contents "${deb}")
string(REGEX MATCHALL "\\./[^\n]*" paths "${out}")
foreach(path IN LISTS paths)
    if(NOT path MATCHES "^\\./(usr/.*)?$")
        fail("${path} lies outside /usr")
    endif()
endforeach()

set(doc usr/share/doc/orvinta)
set(expected usr/bin/orvinta-decode usr/share/man/man1/orvinta-decode.1.gz
    usr/bin/orvinta-cw usr/share/man/man1/orvinta-cw.1.gz
    usr/bin/orvinta-plot usr/share/man/man1/orvinta-plot.1.gz
    ${doc}/README.md ${doc}/docs/development.md ${doc}/docs/orvinta-cw.md
    ${doc}/docs/history.md ${doc}/docs/listening.md
    ${doc}/copyright ${doc}/changelog.gz)
set(desktop_files usr/bin/orvinta usr/share/man/man1/orvinta.1.gz
    usr/share/applications/orvinta.desktop usr/share/metainfo/${APPSTREAM_ID}.metainfo.xml)
set(icon usr/share/icons/hicolor/32x32/apps/orvinta.png)
set(unexpected)
if(EXPECT_GUI)
    list(APPEND expected ${desktop_files})
else()
    # Without the desktop program, a desktop entry would start nothing.
    list(APPEND unexpected ${desktop_files})
endif()
if(EXPECT_ICON)
    list(APPEND expected ${icon})
else()
    list(APPEND unexpected ${icon})
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${root}/${file}")
        fail("the package lacks /${file}")
    endif()
endforeach()
foreach(file IN LISTS unexpected)
    if(EXISTS "${root}/${file}")
        fail("the package holds /${file}, which it should not")
    endif()
endforeach()

# The programs are stripped executables that find their libraries where Debian puts them.
set(programs orvinta-decode orvinta-cw orvinta-plot)
if(EXPECT_GUI)
    list(APPEND programs orvinta)
endif()
foreach(program IN LISTS programs)
    if(NOT EXISTS "${root}/usr/bin/${program}")
        continue()
    endif()
    run(file --brief "${root}/usr/bin/${program}")
    message("${program}: ${out}")
    if(NOT out MATCHES "^ELF .* executable")
        fail("/usr/bin/${program} is no ELF executable")
    endif()
    if(NOT out MATCHES ", stripped")
        fail("/usr/bin/${program} is not stripped")
    endif()
    run(readelf --dynamic "${root}/usr/bin/${program}")
    if(out MATCHES "\\((RPATH|RUNPATH)\\)")
        fail("/usr/bin/${program} carries a library search path of its own")
    endif()
endforeach()

# The documentation is read where it is installed: every page or picture that one of
# its pages links to by a relative path is installed beside it.
file(GLOB_RECURSE pages RELATIVE "${root}/${doc}" "${root}/${doc}/*.md")
foreach(page IN LISTS pages)
    file(READ "${root}/${doc}/${page}" text)
    # A bracket would keep CMake from splitting the list: mark each link's start anew.
    string(REPLACE "](" "\n@link@" text "${text}")
    string(REGEX MATCHALL "@link@[^)# \n]+" links "${text}")
    get_filename_component(folder "${page}" DIRECTORY)
    foreach(link IN LISTS links)
        string(SUBSTRING "${link}" 6 -1 target)
        # Debian keeps the licence in the copyright file and /usr/share/common-licenses
        # and asks packages not to install it again.
        if(target MATCHES "^[a-z]+:" OR target STREQUAL "LICENSE")
            continue()
        endif()
        cmake_path(APPEND folder "${target}" OUTPUT_VARIABLE path)
        cmake_path(NORMAL_PATH path)
        if(NOT EXISTS "${root}/${doc}/${path}")
            fail("/${doc}/${page} links to ${target}, which the package lacks")
        endif()
    endforeach()
endforeach()

# The changelog's latest entry is this version, by this maintainer.
execute_process(COMMAND gzip -dc "${root}/${doc}/changelog.gz"
    RESULT_VARIABLE status OUTPUT_VARIABLE changelog)
if(NOT status EQUAL 0)
    fail("/${doc}/changelog.gz cannot be read (gzip: ${status})")
elseif(NOT changelog MATCHES "^orvinta \\(([^)]*)\\)")
    fail("/${doc}/changelog.gz does not begin with an entry of orvinta")
elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    fail("the latest entry of /${doc}/changelog.gz is version ${CMAKE_MATCH_1}, not ${VERSION}")
elseif(NOT changelog MATCHES "\n -- ([^<\n]*<[^>\n]*>)  ")
    fail("the latest entry of /${doc}/changelog.gz has no trailer line")
elseif(NOT CMAKE_MATCH_1 STREQUAL MAINTAINER)
    fail("the latest entry of /${doc}/changelog.gz is by ${CMAKE_MATCH_1}, not ${MAINTAINER}")
endif()

if(EXPECT_ICON AND EXISTS "${root}/${icon}")
    run(file --brief "${root}/${icon}")
    if(NOT out MATCHES "^PNG image data, 32 x 32,")
        fail("/${icon} is no 32 x 32 PNG picture: ${out}")
    endif()
endif()

if(EXPECT_GUI)
    # Software centres learn from the metainfo which programs the package brings, and
    # under which licence.
    file(READ "${root}/usr/share/metainfo/${APPSTREAM_ID}.metainfo.xml" metainfo)
    foreach(program IN LISTS programs)
        string(FIND "${metainfo}" "<binary>${program}</binary>" at)
        if(at EQUAL -1)
            fail("the metainfo does not list /usr/bin/${program} among what it provides")
        endif()
    endforeach()
    if(NOT metainfo MATCHES "<project_license>GPL-3.0-or-later</project_license>")
        fail("the metainfo does not give the licence GPL-3.0-or-later")
    endif()
    # The installed desktop entry, metainfo and icon as software centres read them.
    execute_process(COMMAND "${APPSTREAMCLI}" validate-tree --no-net "${root}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    message("${out}${err}")
    if(NOT status EQUAL 0)
        fail("appstreamcli validate-tree finds fault with the installed files")
    endif()
endif()

# The unpacked decoder decodes the sample frame.
set(sample "${DEB_DIR}/sample.txt")
file(WRITE "${sample}" "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE\n")
execute_process(COMMAND "${root}/usr/bin/orvinta-decode" INPUT_FILE "${sample}"
    RESULT_VARIABLE status OUTPUT_VARIABLE row ERROR_VARIABLE err)
message("orvinta-decode: ${row}${err}")
if(NOT status EQUAL 0)
    fail("the unpacked orvinta-decode ended with status ${status}")
endif()
if(NOT row STREQUAL "6;OK; 4.892308; 10.944; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68\n")
    fail("the unpacked orvinta-decode printed '${row}' for the sample frame")
endif()
run("${root}/usr/bin/orvinta-decode" --version)
if(NOT out STREQUAL "orvinta-decode ${VERSION}")
    fail("orvinta-decode --version printed '${out}'")
endif()

if(failures)
    message(FATAL_ERROR "The package ${deb} falls short:${failures}")
endif()
message("${deb}: every check passed")
