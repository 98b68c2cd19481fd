# Where an installed copy keeps its files, and the functions that install the
# programs. An executable, helper or plugin added later installs itself with
# one call in its own CMakeLists.txt; the desktop files live in dist/.

include(GNUInstallDirs)

# The reverse-DNS id shared by the desktop entry, the icons and the AppStream
# metainfo.
set(QUILLET_APP_ID "example.orlan.quillet")

# The desktop entry as seen from the installed executables' folder. A program
# that finds it there knows it runs from an installed copy and keeps its data
# in the per-user data folder instead of beside itself.
file(RELATIVE_PATH QUILLET_INSTALLED_MARKER "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/applications/${QUILLET_APP_ID}.desktop")

# The helpers' folder as seen from the installed executables' folder.
file(RELATIVE_PATH QUILLET_INSTALLED_HELPER_DIR "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_LIBEXECDIR}/quillet")

# The language files that ship with the program, and that folder as seen from
# the installed executables' folder. The build folder keeps a copy at the same
# place relative to its bin/, so a program run from there finds them too.
set(QUILLET_LANGUAGES_DIR "${CMAKE_INSTALL_DATADIR}/quillet/lang")
file(RELATIVE_PATH QUILLET_SHIPPED_LANGUAGES "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/quillet/lang")
# The same folder as seen from the installed helpers' folder.
file(RELATIVE_PATH QUILLET_SHIPPED_LANGUAGES_FROM_HELPERS "${CMAKE_INSTALL_FULL_LIBEXECDIR}/quillet"
     "${CMAKE_INSTALL_FULL_DATADIR}/quillet/lang")

find_program(QUILLET_HELP2MAN help2man)
find_program(QUILLET_GZIP gzip)
if(NOT QUILLET_HELP2MAN OR NOT QUILLET_GZIP)
    message(FATAL_ERROR "help2man and gzip make the manual pages (scripts/install-deps.sh installs them)")
endif()

# quillet_install_program(TARGET)
# Installs an executable for users to bin/ with its manual page, made by
# help2man from "TARGET --help" and "TARGET --version" and the hand-written
# sections in dist/man/TARGET.h2m and dist/man/program-directory.h2m. The
# program's --help and --version must work without a display. The installed
# programs are listed in the global property QUILLET_INSTALLED_PROGRAMS,
# which the install test checks one by one.
function(quillet_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(sections ${PROJECT_SOURCE_DIR}/dist/man/${target}.h2m)
    set(shared ${PROJECT_SOURCE_DIR}/dist/man/program-directory.h2m)
    if(NOT EXISTS ${sections})
        message(FATAL_ERROR "${target} needs its manual page sections in ${sections}")
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                ${QUILLET_HELP2MAN} --no-info --section=1 --source=Orlan --manual=Quillet
                --include=${sections} --include=${shared} --output=${page} $<TARGET_FILE:${target}>
        COMMAND ${QUILLET_GZIP} -9nf ${page}
        DEPENDS ${target} ${sections} ${shared}
        COMMENT "Manual page of ${target}"
        VERBATIM)
    add_custom_target(${target}_manual ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set_property(GLOBAL APPEND PROPERTY QUILLET_INSTALLED_PROGRAMS ${target})
endfunction()

# quillet_install_helper(TARGET)
# Installs an executable that the programs start themselves (not the user):
# to libexec/quillet/, without a manual page.
function(quillet_install_helper target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillet)
    set_property(GLOBAL APPEND PROPERTY QUILLET_INSTALLED_HELPERS ${target})
endfunction()

# quillet_install_plugin(TARGET)
# Installs a module the programs load at run time to lib/quillet/.
function(quillet_install_plugin target)
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/quillet)
    set_property(GLOBAL APPEND PROPERTY QUILLET_INSTALLED_PLUGINS ${target})
endfunction()
