# SPDX-License-Identifier: GPL-3.0-or-later
# What an installed Pelk is made of, and the Debian package that carries it (`make package`):
# the programs, the desktop entry and its icons, the AppStream metainfo, a man page for each
# program, the sample export and the licence notes.
include(GNUInstallDirs)
# `make package` builds what it installs, not the tests and benchmarks of the same tree.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Icons: the hand-drawn 16 by 16, and the scalable drawing rendered at the larger sizes.
find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
add_executable(render_icon app/icons/render_icon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(icon_files)
foreach(size 32 48 64 128 256)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/pelk.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
        COMMAND render_icon ${PROJECT_SOURCE_DIR}/app/icons/pelk.svg ${size} ${png}
        DEPENDS render_icon ${PROJECT_SOURCE_DIR}/app/icons/pelk.svg
        COMMENT "Rendering the ${size}x${size} icon" VERBATIM)
    list(APPEND icon_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES app/pelk.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/16x16/apps)
install(FILES app/icons/pelk.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages: pelk-cli's from its own --help, pelk's written by hand; both compressed, as Debian
# keeps them.
find_program(HELP2MAN help2man)
find_program(GZIP gzip REQUIRED)
set(man_files ${PROJECT_BINARY_DIR}/man/pelk.1.gz)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/pelk.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/app/pelk.1 ${PROJECT_BINARY_DIR}/man/pelk.1
    COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/man/pelk.1
    DEPENDS ${PROJECT_SOURCE_DIR}/app/pelk.1 VERBATIM)
if(HELP2MAN)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/pelk-cli.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${HELP2MAN} --no-info --no-discard-stderr
                --name "daily Tn and Tx from a temperature logger's export"
                --output ${PROJECT_BINARY_DIR}/man/pelk-cli.1 $<TARGET_FILE:pelk-cli>
        COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/man/pelk-cli.1
        DEPENDS pelk-cli
        COMMENT "Writing the pelk-cli man page from its --help" VERBATIM)
    list(APPEND man_files ${PROJECT_BINARY_DIR}/man/pelk-cli.1.gz)
endif()
install(FILES ${man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The changelog, compressed as Debian keeps it.
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/doc/changelog
    COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/doc/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(pelk_install_files ALL DEPENDS ${icon_files} ${man_files}
                                                 ${PROJECT_BINARY_DIR}/doc/changelog.gz)

install(FILES app/io.github.pelk.Pelk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES app/io.github.pelk.Pelk.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES app/sample/exemple-export.txt packaging/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelk)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pelk developers")
set(CPACK_PACKAGE_CONTACT "Pelk maintainers <maintainers@users.noreply.c-seed-7514ca3d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "daily Tn and Tx from a temperature logger's export")
# The synopsis comes from the summary; this is the extended description below it.
set(CPACK_PACKAGE_DESCRIPTION "Pelk reads the tab-separated text export of a temperature logger
and lists, for every calendar day, Tn (the lowest reading from 18:00 UTC the
day before to 18:00 UTC) and Tx (the highest reading from 06:00 UTC to 06:00
UTC the next day), with how far each value can be trusted, a chart and a
monthly summary. The window speaks French; pelk-cli does the same on the
command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-wine)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
